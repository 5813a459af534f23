#include "editor/EditorParser.h"

#include <algorithm>

#include "platform/ShiftJis.h"

namespace editor {

namespace {

bool Digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool HexDigit(unsigned char c) { return Digit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// The URL set: "#", "%", "&", "+", "-" through ":", "=", "?", letters, "_", "~".
bool UrlByte(unsigned char c) {
    return c == '#' || c == '%' || c == '&' || c == '+' || (c >= '-' && c <= ':') || c == '=' || c == '?' ||
           (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') || c == '~';
}

// The mail set: "!", "$", "%", "&", "*", "," through "9", ";", "=", "?" through "Z", "^", "_", letters, "~".
bool MailByte(unsigned char c) {
    return c == '!' || c == '$' || c == '%' || c == '&' || c == '*' || (c >= ',' && c <= '9') || c == ';' ||
           c == '=' || (c >= '?' && c <= 'Z') || c == '^' || c == '_' || (c >= 'a' && c <= 'z') || c == '~';
}

bool Blank(unsigned char c) { return (c >= 0x01 && c <= 0x08) || (c >= 0x0A && c <= 0x20); }

}  // namespace

TRowState LoadRowState(const TRowAttributeStringList& rows, int row) {
    TRowState s;
    s.prevAttribute = rows.GetPrevAttribute(row);
    s.bracketIndex = rows.GetBracketIndex(row);
    s.elementIndex = rows.GetElementIndex(row);
    s.remain = rows.GetRemain(row);
    s.extra = rows.GetExtra(row);
    s.startToken = rows.GetStartToken(row);
    s.prevToken = rows.GetPrevToken(row);
    s.data = rows.GetData(row);
    return s;
}

void StoreRowState(TRowAttributeStringList& rows, int row, const TRowState& s) {
    uint32_t a = rows.GetStateA(row) & 3u;  // the row attribute stays
    a |= (static_cast<uint32_t>(s.prevAttribute) & 3u) << 2;
    a |= (static_cast<uint32_t>(s.bracketIndex + 2) & 0xFu) << 4;
    a |= (static_cast<uint32_t>(s.elementIndex) & 0xFFu) << 8;
    a |= (static_cast<uint32_t>(s.remain) & 0xFFu) << 16;
    a |= (static_cast<uint32_t>(s.extra) & 0xFFu) << 24;
    rows.SetStateA(row, a);
    uint32_t b = rows.GetStateB(row) & 0xFFFF0000u;  // the marks stay
    b |= static_cast<uint32_t>(s.startToken) & 0xFFu;
    b |= (static_cast<uint32_t>(s.prevToken) & 0xFFu) << 8;
    rows.SetStateB(row, b);
    if (!s.data.empty() || !rows.GetData(row).empty()) rows.SetData(row, s.data);
}

TFountainParser::TFountainParser(const TFountain* fountain) : fountain_(fountain), rules_(nullptr) {
    if (!fountain) throw EFountainParserError();
}

TFountainParser::TFountainParser(const TFountain* fountain, const TEditorFountain* rules)
    : fountain_(fountain), rules_(rules) {}

TEditorParser::TEditorParser(const TEditorFountain* fountain) : TFountainParser(fountain, fountain) {
    if (!fountain) throw EFountainParserError();
}

void TFountainParser::Init(std::string_view text, const TRowState& state) {
    text_ = text;
    pos_ = start_ = 0;
    kind_ = tokEnd;
    open_ = fountain_ ? state.bracketIndex : -2;
    carriedBracket_ = state.bracketIndex;
    lastBracket_ = -1;
    startToken_ = state.startToken;
    remain_ = state.remain;
    continuing_ = false;
    mailReach_ = 0;
}

void TFountainParser::SkipChar() {
    if (pos_ < text_.size() && platform::IsLeadByte(At(pos_)) && pos_ + 1 < text_.size()) pos_ += 2;
    else ++pos_;
}

bool TFountainParser::StartsHere(std::string_view s) const {
    // The first byte decides almost always; it is checked before the rest.
    return !s.empty() && At(pos_) == static_cast<unsigned char>(s[0]) && text_.compare(pos_, s.size(), s) == 0;
}

void TFountainParser::SkipPastQuote(unsigned char q, bool doubledStays) {
    while (pos_ < text_.size()) {
        if (At(pos_) == q) {
            if (doubledStays && At(pos_ + 1) == q) {
                pos_ += 2;  // a doubled quote does not close
                continue;
            }
            ++pos_;
            return;
        }
        SkipChar();
    }
}

TTokenKind TFountainParser::NextToken() {
    while (pos_ < text_.size() && Blank(At(pos_))) ++pos_;
    start_ = pos_;
    continuing_ = startToken_ != 0;
    unsigned char c = At(pos_);
    if (pos_ >= text_.size() || c == 0 || c == '\r' || c == '\n') {
        kind_ = tokEnd;
    } else if (startToken_ != 0 && remain_ > 0 && pos_ >= static_cast<size_t>(remain_)) {
        // The cut token's rest on this row was blanks: scan normally.
        if (startToken_ == tokBracket) open_ = -1;  // its bracket closed in them
        startToken_ = remain_ = 0;
        continuing_ = false;
        kind_ = open_ >= 0 ? BracketBody() : Dispatch();
    } else if (startToken_ != 0) {
        kind_ = Continue();
    } else if (open_ >= 0) {
        kind_ = BracketBody();
    } else {
        kind_ = Dispatch();
    }
    if (pos_ == start_ && kind_ != tokEnd) ++pos_;  // every token takes a byte
    return kind_;
}

TTokenKind TFountainParser::BracketBody() {
    const auto& items = fountain_->Brackets();
    if (open_ < 0 || open_ >= static_cast<int>(items.size())) {
        open_ = -1;
        return CharacterTable(false);
    }
    const std::string& right = items[static_cast<size_t>(open_)].rightBracket;
    lastBracket_ = open_;
    if (right.empty()) {
        pos_ = text_.size();
        return tokEnd;
    }
    while (pos_ < text_.size()) {
        if (StartsHere(right)) {
            pos_ += right.size();
            open_ = -1;
            return tokBracket;
        }
        SkipChar();
    }
    return tokBracket;
}

TTokenKind TFountainParser::Continue() {
    const int kind = startToken_;
    TTokenKind result;
    if (remain_ > 0) {
        // The remain bytes are counted from the row's start, blanks included.
        pos_ = std::min(text_.size(), static_cast<size_t>(remain_));
        result = static_cast<TTokenKind>(kind);
        if (kind == tokBracket) {
            open_ = -1;
            lastBracket_ = carriedBracket_;
        }
    } else {
        switch (kind) {
            case tokInteger:
            case tokFloat:
                result = CharacterTable(true);
                if (result != tokInteger && result != tokFloat) result = static_cast<TTokenKind>(kind);
                break;
            case tokBracket:
                result = BracketBody();
                break;
            case tokComment:
                pos_ = text_.size();
                result = tokComment;
                break;
            case tokReserve:
                CharacterTable(false);
                result = tokReserve;
                break;
            case tokUrl:
                while (pos_ < text_.size() && UrlByte(At(pos_))) ++pos_;
                result = tokUrl;
                break;
            case tokMail:
                while (pos_ < text_.size() && MailByte(At(pos_))) ++pos_;
                result = tokMail;
                break;
            case tokHex:
            case tokHexControlCode:
                while (pos_ < text_.size() && HexDigit(At(pos_))) ++pos_;
                result = static_cast<TTokenKind>(kind);
                break;
            case tokControlCode:
                while (pos_ < text_.size() && Digit(At(pos_))) ++pos_;
                result = tokControlCode;
                break;
            case tokSingleQuote:
            case tokDoubleQuote:
            case tokString: {
                unsigned char q = kind == tokSingleQuote ? '\'' : kind == tokDoubleQuote ? '"'
                                  : (rules_ && !rules_->Quotation().empty() ? static_cast<unsigned char>(rules_->Quotation()[0]) : '"');
                SkipPastQuote(q, kind != tokString);
                result = static_cast<TTokenKind>(kind);
                break;
            }
            case tokAnk:
            case tokDbcsSymbol:
            case tokDbcsDigit:
            case tokDbcsAlpha:
            case tokHiragana:
            case tokKatakana:
            case tokKanji:
            case tokKanaSymbol:
            case tokKana:
                result = CharacterTable(true);
                break;
            default:
                ++pos_;
                result = tokSymbol;
                break;
        }
    }
    startToken_ = 0;
    remain_ = 0;
    return result;
}

TTokenKind TFountainParser::CharacterTable(bool) {
    size_t end = pos_;
    TTokenKind k = CharTableToken(text_, pos_, end);
    if (end <= pos_) end = pos_ + 1;
    pos_ = end;
    return k == tokEnd ? tokSymbol : k;
}

bool TFountainParser::MailMatch() {
    if (!MailByte(At(pos_)) || At(pos_) == '@') return false;
    size_t i = pos_;
    bool at = false;
    while (i < text_.size()) {
        unsigned char c = At(i);
        if (c == '@') {
            at = true;
            ++i;
            continue;
        }
        if (!MailByte(c)) break;
        if (at && c == '.') {
            ++i;
            while (i < text_.size() && (MailByte(At(i)) || At(i) == '@')) ++i;
            pos_ = i;
            mailReach_ = std::max(mailReach_, i + 1);
            return true;
        }
        ++i;
    }
    // A failed match may have looked far past the token it leaves.
    mailReach_ = std::max(mailReach_, i + 1);
    return false;
}

TTokenKind TFountainParser::Dispatch() {
    if (fountain_ && open_ == -1) {
        const auto& items = fountain_->Brackets();
        for (size_t i = 0; i < items.size(); ++i) {
            const std::string& left = items[i].leftBracket;
            if (StartsHere(left)) {
                pos_ += left.size();
                open_ = static_cast<int>(i);
                return BracketBody();
            }
        }
    }
    if (rules_) {
        const TEditorFountain& f = *rules_;
        unsigned char c = At(pos_);
        if (f.Mail() && MailMatch()) return tokMail;
        if (f.Url()) {
            size_t skip = 0;
            if (c == 'f' && text_.compare(pos_, 4, "ftp:") == 0) skip = 4;
            else if (c == 'h' && text_.compare(pos_, 6, "https:") == 0) skip = 6;
            else if (c == 'h' && text_.compare(pos_, 5, "http:") == 0) skip = 5;
            else if (c == 'w' && text_.compare(pos_, 4, "www.") == 0) skip = 4;
            if (skip) {
                pos_ += skip;
                while (pos_ < text_.size() && UrlByte(At(pos_))) ++pos_;
                return tokUrl;
            }
        }
        if (StartsHere(f.Commenter())) {
            pos_ = text_.size();
            return tokComment;
        }
        if (!f.Quotation().empty() && c == static_cast<unsigned char>(f.Quotation()[0])) {
            ++pos_;
            SkipPastQuote(c, true);
            return tokString;
        }
        if (f.ControlCode() && c == '#' && At(pos_ + 1) == '$') {
            pos_ += 2;
            while (pos_ < text_.size() && HexDigit(At(pos_))) ++pos_;
            return tokHexControlCode;
        }
        if (f.ControlCode() && c == '#') {
            ++pos_;
            while (pos_ < text_.size() && Digit(At(pos_))) ++pos_;
            return tokControlCode;
        }
        const std::string& hex = f.HexPrefix();
        if (!hex.empty() && pos_ + hex.size() <= text_.size()) {
            bool same = true;
            auto lower = [](unsigned char b) { return b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b; };
            for (size_t i = 0; i < hex.size() && same; ++i)
                same = lower(At(pos_ + i)) == lower(static_cast<unsigned char>(hex[i]));
            if (same) {
                pos_ += hex.size();
                while (pos_ < text_.size() && HexDigit(At(pos_))) ++pos_;
                return tokHex;
            }
        }
    }
    return CharacterTable(false);
}

bool TFountainParser::IsReserveWord() const {
    if (!fountain_ || continuing_ || kind_ == tokEnd || kind_ == tokBracket || kind_ == tokComment) return false;
    return fountain_->IsReserveWord(TokenText());
}

const TFountainColor* TFountainParser::TokenColor() const {
    if (!fountain_) return nullptr;
    if (IsReserveWord() || kind_ == tokReserve) return &fountain_->Reserve();
    if (kind_ == tokBracket) {
        const auto& items = fountain_->Brackets();
        return lastBracket_ >= 0 && lastBracket_ < static_cast<int>(items.size())
                   ? &items[static_cast<size_t>(lastBracket_)].itemColor
                   : nullptr;
    }
    if (!rules_) return nullptr;
    const TEditorColors& c = rules_->Colors();
    switch (kind_) {
        case tokSymbol: return &c.symbol;
        case tokInteger: case tokFloat: case tokHex: return &c.integer;
        case tokComment: return &c.comment;
        case tokAnk: return &c.ank;
        case tokDbcsSymbol: case tokDbcsDigit: case tokDbcsAlpha: case tokHiragana: case tokKatakana: case tokKanji:
        case tokKanaSymbol: case tokKana:
            return &c.dbcs;
        case tokUrl: return &c.url;
        case tokMail: return &c.mail;
        case tokString: case tokControlCode: case tokHexControlCode: return &c.str;
        default: return nullptr;
    }
}

void TFountainParser::ScanRow(int r, const TRowAttributeStringList& rows, TRowState& state) {
    const int count = rows.Count();
    const bool wrapped = rows.GetRowAttribute(r) == raWrapped && r < count - 1;
    if (state.startToken == tokComment) {
        if (!wrapped) state.startToken = 0;
        state.remain = 0;
        return;
    }
    std::string_view own = rows.Text(r);
    if (own.find_first_not_of(' ') == std::string_view::npos) {
        // Empty or blank: the state passes, but a token carried into the
        // row (a wrapped string's blank tail) ends with its line.
        if (!wrapped) {
            if (state.startToken == tokBracket) state.bracketIndex = -1;
            state.startToken = 0;
            state.remain = 0;
        }
        return;
    }
    std::string joined;
    std::string_view text = own;
    const size_t len = own.size();
    if (wrapped) {
        joined.assign(own);
        joined += rows.Text(r + 1);
        text = joined;
    }
    Init(text, state);
    bool any = false;
    size_t lastStart = 0, lastEnd = 0;
    TTokenKind lastKind = tokEnd;
    bool lastContinuing = false;
    int bracketItem = -1;
    for (;;) {
        TTokenKind k = NextToken();
        if (k == tokEnd) break;
        any = true;
        state.bracketIndex = open_;
        if (k == tokBracket) bracketItem = lastBracket_;
        lastStart = start_;
        lastEnd = pos_;
        lastKind = k;
        lastContinuing = continuing_;
        if (pos_ > len) break;
    }
    state.remain = 0;
    state.startToken = 0;
    if (!any) return;
    if (lastStart >= len) {
        state.bracketIndex = -1;
        return;
    }
    if (lastEnd > len) {
        const size_t inNext = lastEnd - len;
        if (lastKind == tokBracket) {
            if (open_ >= 0) return;  // still open: the next row starts inside it
            state.bracketIndex = bracketItem;
            const auto& items = fountain_->Brackets();
            size_t rightLen = bracketItem >= 0 && bracketItem < static_cast<int>(items.size())
                                  ? items[static_cast<size_t>(bracketItem)].rightBracket.size()
                                  : 0;
            if (inNext < rightLen) {
                state.startToken = tokBracket;
                state.remain = static_cast<int>(inNext);
            }
            return;
        }
        // Only a token cut by the wrap needs the reserved word test.
        const bool lastReserve = fountain_ && !lastContinuing && lastKind != tokBracket && lastKind != tokComment &&
                                 fountain_->IsReserveWord(text.substr(lastStart, lastEnd - lastStart));
        state.startToken = lastReserve ? tokReserve : lastKind;
        if (lastKind == tokComment || lastKind == tokSingleQuote || lastKind == tokDoubleQuote) return;
        if (lastEnd >= text.size() && r + 1 < count && rows.GetRowAttribute(r + 1) == raWrapped) return;
        state.remain = static_cast<int>(std::min<size_t>(inNext, 255));
    }
}

size_t TFountainParser::LookaheadBound() const {
    size_t k = 6;  // "https:"
    if (fountain_)
        for (const auto& b : fountain_->Brackets()) k = std::max({k, b.leftBracket.size(), b.rightBracket.size()});
    if (rules_) k = std::max({k, rules_->Commenter().size(), rules_->HexPrefix().size()});
    return k + 2;  // numbers and double-byte runs look up to two bytes past their end
}

void TRowScan::Edit(size_t from, size_t removed, size_t inserted) {
    if (!rules) return;
    const size_t end = from + removed;
    // Where an old offset lies now; those inside the replaced bytes go to the end of the new ones.
    auto moved = [&](size_t x) { return x >= end ? x - removed + inserted : x <= from ? x : from + inserted; };
    size_t kept = 0, verified = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        TScanPoint p = points[i];
        const bool tokensBeforeHold = !dirty || i < held;
        const bool tokensFromHold = !dirty || i >= held;
        if (tokensBeforeHold && p.offset <= from && p.horizon <= from) {
            points[kept++] = p;  // nothing before it looked at the edited bytes
            verified = kept;
        } else if (tokensFromHold && p.offset >= end) {
            p.offset = moved(p.offset);
            p.horizon = moved(p.horizon);
            points[kept++] = p;
        }
    }
    points.resize(kept);
    held = verified;
    dirty = true;
}

int TFountainParser::ScanLongRow(std::string_view text, int bracket, TRowScan& scan, size_t spacing) {
    spacing = std::max<size_t>(spacing, 1);
    const bool kept = fountain_ && scan.rules == fountain_ && scan.inBracket == bracket;
    if (kept && !scan.dirty) return scan.outBracket;
    if (!kept) {
        scan = TRowScan{};
        scan.rules = fountain_;
        scan.inBracket = bracket;
    }
    const size_t lookahead = LookaheadBound();
    TRowState start;
    start.bracketIndex = bracket;
    Init(text, start);
    // Resume at the last point that still holds; the old points after it
    // are where the new tokens may meet the old ones.
    std::vector<TScanPoint>& points = scan.points;
    const size_t held = kept ? scan.held : 0;
    size_t candidate = held;
    size_t reach = 0;
    int open = bracket;  // after the last token
    size_t next = spacing;
    if (held > 0) {
        const TScanPoint& p = points[held - 1];
        pos_ = p.offset;
        open_ = open = p.open;
        reach = p.horizon;
        next = p.offset + spacing;
    }
    std::vector<TScanPoint> fresh;
    for (;;) {
        const int before = open_;
        if (NextToken() == tokEnd) break;
        if (scan.dirty) {
            while (candidate < points.size() && points[candidate].offset < start_) ++candidate;
            if (candidate < points.size() && points[candidate].offset == start_ && points[candidate].open == before) {
                // From here on the text and the state are the old ones: so
                // are the tokens, the points and the end state.
                for (size_t i = candidate; i < points.size(); ++i)
                    points[i].horizon = std::max(points[i].horizon, reach);
                points.erase(points.begin() + static_cast<ptrdiff_t>(held),
                             points.begin() + static_cast<ptrdiff_t>(candidate));
                points.insert(points.begin() + static_cast<ptrdiff_t>(held), fresh.begin(), fresh.end());
                scan.held = points.size();
                scan.dirty = false;
                return scan.outBracket;
            }
        }
        open = open_;
        if (start_ >= next) {
            fresh.push_back({start_, reach, before});
            next = start_ + spacing;
        }
        reach = std::max({reach, pos_ + lookahead, mailReach_});
    }
    points.resize(held);
    points.insert(points.end(), fresh.begin(), fresh.end());
    scan.held = points.size();
    scan.dirty = false;
    scan.outBracket = open;
    return open;
}

}  // namespace editor
