#include "app/Actions.h"

#include <array>

namespace app {

namespace {

using A = ActionId;

const std::array<ActionInfo, static_cast<size_t>(A::Count)> kActions = {{
    {A::FileNew1, "新規作成(&N)", "Ctrl+N", "新規作成|新しいｿｰｽﾌｧｲﾙを作成"},
    {A::FileOpen1, "開く(&O)...", "Ctrl+O", "開く|既存のﾌｧｲﾙを開く"},
    {A::FileClose1, "閉じる(&C)", "Ctrl+F4", "閉じる|ｱｸﾃｨﾌﾞなｳｨﾝﾄﾞｳを閉じる"},
    {A::FileSave1, "上書き保存(&S)", "Ctrl+S", "上書き保存|編集中のﾌｧｲﾙを保存"},
    {A::FileSaveAs1, "名前をつけて保存(&A)...", "", "名前をつけて保存|編集中のﾌｧｲﾙに名前をつけて保存"},
    {A::AppendPrj, "ﾌﾟﾛｼﾞｪｸﾄに追加(&P)", "Ctrl+P", "ﾌﾟﾛｼﾞｪｸﾄに追加|編集中のﾌｧｲﾙをﾌﾟﾛｼﾞｪｸﾄに追加"},
    {A::VKDKQSDKincludeI1, "VKDK/QSDKのincludeﾌｫﾙﾀﾞから開く(&I)", "Ctrl+I",
     "includeﾌｫﾙﾀﾞから開く|VKDK/QSDKのincludeﾌｫﾙﾀﾞのﾍｯﾀﾞﾌｧｲﾙを開く"},
    {A::FileExit1, "終了(&X)", "", "終了|VeskC Builderを終了"},

    {A::EditCut1, "切り取り(&T)", "Ctrl+X", "切り取り|選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞへ"},
    {A::EditCopy1, "コピー(&C)...", "Ctrl+C", "ｺﾋﾟｰ|選択範囲をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"},
    {A::EditPaste1, "貼り付け(&P)", "Ctrl+V", "貼り付け|ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け"},
    {A::EditUndo, "元に戻す(&U)", "Ctrl+Z", "元に戻す|直前の編集を元に戻す"},
    {A::EditRedo, "やり直し(&R)", "Ctrl+Alt+Z", "やり直し|元に戻した編集をやり直す"},
    {A::TemplateAdd, "定型文を追加(&A)", "", "定型文を追加|クリップボードのテキストを定型文に追加"},
    {A::InsertFileAtCaretLine, "ｶｰｿﾙ行にﾌｧｲﾙを読み込み(&F)", "Ctrl+G",
     "ﾌｧｲﾙの読み込み|ｶｰｿﾙ行にﾌｧｲﾙを読み込む"},

    {A::SearchFind, "検索(&F)", "Ctrl+F", "検索|文字列を検索"},
    {A::SearchFindNext, "次を検索(&S)", "F3", "次を検索|次の文字列を検索"},
    {A::SearchFindPrev, "上方向へ検索(&R)", "Shift+F3", "上方向へ検索|上方向へ文字列を検索"},
    {A::SearchReplace, "置換(&R)", "Ctrl+R", "置換|文字列を置換"},
    {A::SearchInFiles, "ファイルから検索(&G)...", "Ctrl+Shift+G", "ファイルから検索|プロジェクトやフォルダのファイルから文字列を検索"},
    {A::SearchJump, "指定行へｼﾞｬﾝﾌﾟ(&J)", "Ctrl+J", "指定行へｼﾞｬﾝﾌﾟ|指定した行番号へ移動"},
    {A::SearchBracket, "対応する括弧の検索(&E)", "Ctrl+E", "対応する括弧|ｶｰｿﾙ位置の括弧に対応する括弧へ移動"},

    {A::Compile, "ｺﾝﾊﾟｲﾙのみ(&C)", "Shift+F9", "ｺﾝﾊﾟｲﾙのみ|編集中のｿｰｽをｺﾝﾊﾟｲﾙ"},
    {A::Link, "ｺﾝﾊﾟｲﾙ＆ﾘﾝｸ(&L)", "F9", "ｺﾝﾊﾟｲﾙ＆ﾘﾝｸ|編集中のｿｰｽをｺﾝﾊﾟｲﾙしてﾘﾝｸ"},
    {A::QuickMake, "簡易メイク(&M)", "Ctrl+F9", "簡易ﾒｲｸ|開いているｿｰｽをまとめてﾒｲｸ"},
    {A::ProjectMake, "ﾌﾟﾛｼﾞｪｸﾄを構築", "Ctrl+Shift+F9", "ﾌﾟﾛｼﾞｪｸﾄを構築|ﾌﾟﾛｼﾞｪｸﾄ全体を構築"},
    {A::CompileStop, "ｺﾝﾊﾟｲﾙの中止(&S)", "Ctrl+Break", "ｺﾝﾊﾟｲﾙの中止|実行中のｺﾝﾊﾟｲﾗを止める"},
    {A::NextError, "次のエラー", "F8", "次のｴﾗｰ|ﾒｯｾｰｼﾞｳｨﾝﾄﾞｳの次のｴﾗｰ行へｼﾞｬﾝﾌﾟ"},
    {A::PrevError, "前のエラー", "Shift+F8", "前のｴﾗｰ|ﾒｯｾｰｼﾞｳｨﾝﾄﾞｳの前のｴﾗｰ行へｼﾞｬﾝﾌﾟ"},

    {A::ProjectOpen, "プロジェクトを開く(&O)", "", "ﾌﾟﾛｼﾞｪｸﾄを開く|新たにﾌﾟﾛｼﾞｪｸﾄを開く"},
    {A::ProjectClose, "プロジェクトを閉じる(&C)", "", "ﾌﾟﾛｼﾞｪｸﾄを閉じる|開いているﾌﾟﾛｼﾞｪｸﾄを閉じる"},
    {A::ProjectModify, "プロジェクトに追加・削除・変更(&M)", "", "ﾌﾟﾛｼﾞｪｸﾄの変更|ﾌﾟﾛｼﾞｪｸﾄのﾌｧｲﾙを追加・削除・変更"},
    {A::ProjectNew, "新規プロジェクトを設定(&N)", "", "新規ﾌﾟﾛｼﾞｪｸﾄ|新しいﾌﾟﾛｼﾞｪｸﾄを設定"},
    {A::RiCreate, "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙの作成(&I)", "", "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙの作成|ﾌﾟﾗｸﾞｲﾝのｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ作成ｳｨｻﾞｰﾄﾞを実行します"},
    {A::RiEdit, "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙの編集(&E)", "", "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙの編集|ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙを編集"},
    {A::ProjectWindowFront, "ﾌﾟﾛｼﾞｪｸﾄｳｨﾝﾄﾞｳ", "", "ﾌﾟﾛｼﾞｪｸﾄｳｨﾝﾄﾞｳ|ﾌﾟﾛｼﾞｪｸﾄｳｨﾝﾄﾞｳを前面に表示"},

    {A::EnvOptions, "環境設定(&E)", "", "環境設定|VKC.EXEの設定"},
    {A::Plomar1, "&Plomar を起動", "", "Plomar|Plomarを起動"},
    {A::CfgEdit, "VKC.CFGの設定(&C)", "", "VKC.cfg|VKC.cfgの設定編集"},
    {A::EditorCustomize, "エディタ設定(&S)", "", "ｴﾃﾞｨﾀ画面のｶｽﾀﾏｲｽﾞ|ｴﾃﾞｨﾀ画面の文字色の設定"},
    {A::ProjectWindowCustomize, "ﾌﾟﾛｼﾞｪｸﾄｳｨﾝﾄﾞｳの設定(&P)", "", "ﾌﾟﾛｼﾞｪｸﾄｳｨﾝﾄﾞｳのﾌｫﾝﾄ、表示色の設定、ｶｽﾀﾏｲｽﾞ"},

    {A::WindowCascade, "重ねて表示(&C)", "", "重ねて表示|ｳｨﾝﾄﾞｳを重ねて表示"},
    {A::WindowTileHorizontal, "水平に並べて表示(&H)", "", "水平に並べて表示|ｳｨﾝﾄﾞｳを水平に並べて表示"},
    {A::WindowTileVertical, "垂直に並べて表示(&V)", "", "垂直に並べて表示|ｳｨﾝﾄﾞｳを垂直に並べて表示"},
    {A::WindowMinimizeAll, "すべてを最小化(&M)", "", "すべてを最小化|すべてのｳｨﾝﾄﾞｳを最小化"},
    {A::WindowArrange, "アイコンの整列(&A)", "", "ｱｲｺﾝの整列|最小化したｳｨﾝﾄﾞｳを整列"},

    {A::Contents, "目次(&C)", "F1", "ﾍﾙﾌﾟ|VeskCBuilderのﾍﾙﾌﾟ"},
    {A::VKDKH1, "VKDKヘルプを開く(&H)", "F2", "VKDK ﾍﾙﾌﾟ|VKDK.HLPを開く"},
    {A::ExecKeyRef, "&ExecKey参照", "Ctrl+F3", "execkey()入力支援(Ctrl F3)|execkey()関数のｷｰ参照と入力支援"},
    {A::DefineRef, "&Define参照", "F4", "定数定義参照(F4)|VKLIB.Hでdefine(定義)されている定数を参照"},
    {A::HelpAbout1, "バージョン情報(&A)", "", "ﾊﾞｰｼﾞｮﾝ情報|ﾊﾞｰｼﾞｮﾝ情報を表示"},
}};

MenuEntry Act(ActionId id) { return {EntryKind::Action, id}; }
MenuEntry Sep() { return {EntryKind::Separator}; }

}  // namespace

const ActionInfo& Action(ActionId id) { return kActions[static_cast<size_t>(id)]; }

std::string_view ShortHint(std::string_view hint) {
    size_t bar = hint.find('|');
    return bar == std::string_view::npos ? hint : hint.substr(0, bar);
}

std::string ButtonText(std::string_view caption) {
    if (caption.ends_with("...")) caption.remove_suffix(3);
    if (caption.size() >= 4 && caption.ends_with(')') && caption[caption.size() - 4] == '(' &&
        caption[caption.size() - 3] == '&')
        caption.remove_suffix(4);
    std::string text;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;  // "&&" is a literal "&"
        text += caption[i];
    }
    return text;
}

std::string_view LongHint(std::string_view hint) {
    size_t bar = hint.find('|');
    return bar == std::string_view::npos ? hint : hint.substr(bar + 1);
}

const std::vector<Menu>& MenuBar() {
    static const std::vector<Menu> menus = {
        {"ファイル(&F)",
         {Act(A::FileNew1), Act(A::FileOpen1), Act(A::FileClose1), Sep(), Act(A::FileSave1), Act(A::FileSaveAs1),
          Act(A::AppendPrj), Sep(), {EntryKind::RecentFiles, A::Count, "開き直す(&R)"}, Act(A::VKDKQSDKincludeI1),
          Sep(), Act(A::FileExit1)}},
        {"編集(&E)",
         {Act(A::EditCut1), Act(A::EditCopy1), Act(A::EditPaste1), Sep(), Act(A::EditUndo), Act(A::EditRedo), Sep(),
          {EntryKind::Templates, A::Count, "定型文の挿入(&I)"}, Act(A::TemplateAdd), Sep(),
          Act(A::InsertFileAtCaretLine)}},
        {"検索(&S)",
         {Act(A::SearchFind), Act(A::SearchFindNext), Act(A::SearchFindPrev), Act(A::SearchReplace), Act(A::SearchInFiles), Sep(),
          Act(A::SearchJump), Act(A::SearchBracket)}},
        {"コンパイル(&C)",
         {Act(A::Compile), Act(A::Link), Sep(), Act(A::QuickMake), Act(A::ProjectMake), Sep(), Act(A::CompileStop), Sep(),
          Act(A::NextError), Act(A::PrevError)}},
        {"プロジェクト(&P)",
         {Act(A::ProjectOpen), Act(A::ProjectClose), Sep(), Act(A::ProjectModify), Act(A::ProjectNew), Sep(),
          Act(A::RiCreate), Act(A::RiEdit)}},
        {"オプション(&O)",
         {Act(A::EnvOptions), Act(A::Plomar1), Act(A::CfgEdit), Sep(), Act(A::EditorCustomize),
          Act(A::ProjectWindowCustomize)}},
        {"ウィンドウ(&W)",
         {Act(A::WindowCascade), Act(A::WindowTileHorizontal), Act(A::WindowTileVertical),
          Act(A::WindowMinimizeAll), Act(A::WindowArrange), {EntryKind::ChildWindows}}},
        {"ヘルプ(&H)",
         {Act(A::Contents), Act(A::VKDKH1), Sep(), Act(A::ExecKeyRef), Act(A::DefineRef), Sep(),
          Act(A::HelpAbout1)}},
    };
    return menus;
}

const std::vector<Toolbar>& Toolbars() {
    constexpr A kSep = A::Count;
    static const std::vector<Toolbar> bars = {
        {"Toolbar971", "VeskC Builder File&Window",
         {A::FileNew1, A::FileOpen1, A::FileSave1, A::ProjectOpen, kSep, A::EditCut1, A::EditCopy1, A::EditPaste1,
          A::EditUndo, A::EditRedo, kSep, A::InsertFileAtCaretLine, kSep, A::Compile, A::Link, A::ProjectMake, kSep,
          A::WindowCascade, A::WindowTileHorizontal, A::WindowTileVertical, kSep, A::ProjectWindowFront}},
        {"Toolbar972", "VeskCBuilder Tools&Help",
         {A::SearchFind, A::SearchReplace, A::SearchJump, A::SearchBracket, kSep, A::Contents, A::VKDKH1,
          A::ExecKeyRef, A::DefineRef}},
    };
    return bars;
}

std::string_view ToolbarHint(ActionId id) {
    switch (id) {
        case A::Contents: return "ﾍﾙﾌﾟ(F1)|VeskC Builderのﾍﾙﾌﾟを開く";
        case A::VKDKH1: return "VKDKﾍﾙﾌﾟ(F2)|VKDKのﾍﾙﾌﾟを開く";
        default: return Action(id).hint;
    }
}

}  // namespace app
