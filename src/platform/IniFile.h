// INI profile files (the settings file, project files) read and written the
// way GetPrivateProfileStringA / WritePrivateProfileStringA treat them, but
// loaded once, changed in memory and saved once.
//
// The file is kept as its original lines (split at CR LF, LF or CR), so lines
// that are not written to come back byte for byte with their own line ends
// (a hand-edited or foreign file is not rewritten wholesale); lines written,
// added, or followed by an added line end with CR LF. Nothing is ever deleted. Bytes are Shift-JIS; section and key names
// are passed as Shift-JIS bytes too (ASCII in practice).
//
// Reading:
//  - Section and key names match ignoring ASCII case; double-byte characters
//    compare exactly.
//  - Blanks (space, TAB) around the key, around "=" and at both ends of the
//    value are ignored. A value enclosed in a matching pair of double or single
//    quotes is read without them.
//  - "[" name "]" starts a section, blanks inside the brackets trimmed and text
//    after "]" ignored; a "[" line without "]" names the section up to its end.
//    The "]" is searched character by character, so a double-byte character
//    whose second byte is 0x5D does not end the name.
//  - Lines starting with ";" (after blanks) are comments. Lines before the
//    first section belong to no section.
//  - A line without "=" in a section is a key without a value: ReadSection and
//    ValueExists see it, the Read functions return their default.
//  - Only the first section of a name counts, and within it the first line of
//    a key; later duplicates are kept in the file but neither read nor written.
//  - Integers: optional sign, then decimal digits or hexadecimal digits after
//    "$" or "0x"; the whole value must be such a number within the range of a
//    32-bit int, otherwise the default is returned.
//
// Writing:
//  - An existing key's line becomes the file's spelling of the key, "=" and
//    the value (indentation dropped); a line that is exactly that already is
//    left alone. A new key goes after the last non-blank
//    line of its section, so a blank line before the next section stays. A new
//    section is appended at the end, after an empty line unless the file is
//    empty or already ends with one.
//  - A value cannot span lines: each CR and LF in it is written as a space.
//    A value with blanks at either end, or one that is itself enclosed in a
//    pair of quotes, is written inside double quotes so that it reads back
//    unchanged.
//  - A section or key name that could not be read back as itself (CR, LF,
//    blanks at either end; "]" in a section name; "=" in a key, or a key
//    starting with "[" or ";") is a programming error: std::invalid_argument.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ShiftJis.h"

namespace platform {

class IniFile {
public:
    // A missing file gives an empty profile, as Windows then reads defaults;
    // any other failure throws FileError and leaves this object unchanged.
    void LoadFromFile(const std::string& path);
    // Any bytes are accepted (binary garbage included); keys are whatever parses.
    void LoadFromBytes(std::string_view bytes);
    std::string ToBytes() const;
    // Replaces the file atomically; throws FileError, the old file then intact.
    void SaveToFile(const std::string& path) const;
    // Whether any Write function ran since the last load.
    bool Modified() const { return modified_; }
    // Whether the file holds nothing but blank lines.
    bool Blank() const;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // The value decoded to UTF-8 (undecodable bytes show as U+FFFD); the
    // default is returned as given.
    std::string ReadText(std::string_view section, std::string_view key, std::string_view defUtf8) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // Any non-zero integer is true.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // Key names in file order, each once, in the file's spelling.
    std::vector<std::string> ReadSection(std::string_view section) const;
    std::vector<std::string> ReadSections() const;

    void WriteString(std::string_view section, std::string_view key, std::string_view rawValue);
    // Encodes to Shift-JIS ("?" for what cannot be) and returns the report so
    // the caller can tell the user.
    EncodeResult WriteText(std::string_view section, std::string_view key, std::string_view utf8Value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" / "0"

private:
    // The lines before the first section, or one section: its header line and
    // the lines up to the next header.
    struct Block {
        std::string name;  // the file's spelling; empty for the leading block
        std::vector<std::string> lines;
        std::vector<std::string> ends;  // each line's end as read ("" after the last); CR LF when written
        std::unordered_map<std::string, size_t> keys;  // upper-cased name -> line of first occurrence
    };

    const Block* FindSection(std::string_view section) const;
    const std::string* FindKeyLine(std::string_view section, std::string_view key) const;
    Block& SectionForWrite(std::string_view section);

    std::vector<Block> blocks_;  // blocks_[0] is the leading block once loaded
    std::unordered_map<std::string, size_t> sections_;  // upper-cased name -> first block
    bool modified_ = false;
};

}  // namespace platform
