#include "app/Settings.h"

#include <cstdio>

namespace app {

const char* const kDefaultFontName = "ＭＳ ゴシック";

namespace {

std::string RecentKey(int index) {
    char key[16];
    std::snprintf(key, sizeof key, "RECENT%.2d", index);
    return key;
}

}  // namespace

void TSettings::Read(const platform::IniFile& ini, const std::string& programFolder) {
    compilerFolder = ini.ReadText("VKC", "PATH", "");
    helpFile = ini.ReadText("VKC", "HELP", "");
    keyDefFile = ini.ReadText("VKC", "KEYDEF", "");
    execKeyComment = ini.ReadBool("VKC", "CHECK", false);

    top = ini.ReadInteger("POS", "TOP", 1);
    left = ini.ReadInteger("POS", "Left", 1);
    height = ini.ReadInteger("POS", "HEIGHT", 400);
    width = ini.ReadInteger("POS", "WIDTH", 600);

    sourceFolder = ini.ReadText("Folder", "SRC", programFolder);
    projectFolder = ini.ReadText("Folder", "PRJ", programFolder);

    fontName = ini.ReadText("EDIT", "FONTNAME", kDefaultFontName);
    if (fontName.empty()) fontName = kDefaultFontName;
    fontSize = ini.ReadInteger("EDIT", "FONTSIZE", 13);
    tabSize = ini.ReadInteger("EDIT", "TABSIZE", 4);
    edtColor = ini.ReadInteger("EDIT", "EdtColor", 0);
    edtBkColor = ini.ReadInteger("EDIT", "EdtBkColor", 0xFFFFFF);
    selColor = ini.ReadInteger("EDIT", "SelColor", 0xFFFFFF);
    selBkColor = ini.ReadInteger("EDIT", "SelBkColor", 0xFF0000);
    cmnColor = ini.ReadInteger("EDIT", "CmnColor", 0x0000FF);
    cmnBkColor = ini.ReadInteger("EDIT", "CmnBkColor", 0xFFFFFF);
    rsvColor = ini.ReadInteger("EDIT", "RsvColor", 0xFF0000);
    rsvBkColor = ini.ReadInteger("EDIT", "RsvBkColor", 0xFFFFFF);
    symColor = ini.ReadInteger("EDIT", "SymColor", 0x000080);
    symBkColor = ini.ReadInteger("EDIT", "SymBkColor", 0xFFFFFF);
    wordWrap = ini.ReadBool("EDIT", "WordWrap", false);
    wordWrapByte = ini.ReadInteger("EDIT", "WordWrapByte", 80);
    ruler = ini.ReadBool("EDIT", "RULER", false);
    lineNumbers = ini.ReadBool("EDIT", "LOWNUM", false);

    projectFontName = ini.ReadText("PRJW", "FONTNAME", kDefaultFontName);
    projectFontSize = ini.ReadInteger("PRJW", "FONTSIZE", 9);
    projectFontColor = ini.ReadInteger("PRJW", "FONTCOLOR", kClWindowText);
    projectFontBkColor = ini.ReadInteger("PRJW", "FONTBKCOLOR", kClWindow);

    // The list stops at the first empty or missing entry.
    recentFiles.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        std::string path = ini.ReadText("FILES", RecentKey(i), "");
        if (path.empty()) break;
        recentFiles.push_back(path);
    }

    targetHost = ini.ReadInteger("TARGET", "VKTW", 0);
    wheelByLine = ini.ReadBool("OPT", "WHEEL", true);
    plomarPath = ini.ReadText("OPT", "Plomar", "");
}

std::vector<std::string> TSettings::Write(platform::IniFile& ini) const {
    std::vector<std::string> lossy;
    auto text = [&](const char* section, const std::string& key, const std::string& value) {
        if (!ini.WriteText(section, key, value).ok()) lossy.push_back(std::string(section) + "/" + key);
    };
    text("VKC", "PATH", compilerFolder);
    text("VKC", "HELP", helpFile);
    text("VKC", "KEYDEF", keyDefFile);
    ini.WriteBool("VKC", "CHECK", execKeyComment);

    ini.WriteInteger("POS", "TOP", top);
    ini.WriteInteger("POS", "Left", left);
    ini.WriteInteger("POS", "HEIGHT", height);
    ini.WriteInteger("POS", "WIDTH", width);

    text("Folder", "SRC", sourceFolder);
    text("Folder", "PRJ", projectFolder);

    ini.WriteInteger("EDIT", "FONTSIZE", fontSize);
    ini.WriteInteger("EDIT", "TABSIZE", tabSize);
    text("EDIT", "FONTNAME", fontName);
    ini.WriteInteger("EDIT", "EdtColor", edtColor);
    ini.WriteInteger("EDIT", "EdtBkColor", edtBkColor);
    ini.WriteInteger("EDIT", "SelColor", selColor);
    ini.WriteInteger("EDIT", "SelBkColor", selBkColor);
    ini.WriteInteger("EDIT", "CmnColor", cmnColor);
    ini.WriteInteger("EDIT", "CmnBkColor", cmnBkColor);
    ini.WriteInteger("EDIT", "RsvColor", rsvColor);
    ini.WriteInteger("EDIT", "RsvBkColor", rsvBkColor);
    ini.WriteInteger("EDIT", "SymColor", symColor);
    ini.WriteInteger("EDIT", "SymBkColor", symBkColor);
    ini.WriteBool("EDIT", "WordWrap", wordWrap);
    ini.WriteInteger("EDIT", "WordWrapByte", wordWrapByte);
    ini.WriteBool("EDIT", "RULER", ruler);
    ini.WriteBool("EDIT", "LOWNUM", lineNumbers);

    text("PRJW", "FONTNAME", projectFontName);
    ini.WriteInteger("PRJW", "FONTSIZE", projectFontSize);
    ini.WriteInteger("PRJW", "FONTCOLOR", projectFontColor);
    ini.WriteInteger("PRJW", "FONTBKCOLOR", projectFontBkColor);

    for (int i = 1; i <= kRecentFileCount; ++i) {
        size_t k = static_cast<size_t>(i - 1);
        text("FILES", RecentKey(i), k < recentFiles.size() ? recentFiles[k] : std::string());
    }

    ini.WriteInteger("TARGET", "VKTW", targetHost);
    ini.WriteBool("OPT", "WHEEL", wheelByLine);
    text("OPT", "Plomar", plomarPath);
    return lossy;
}

void TToolbarLayout::Read(const platform::IniFile& ini, const std::string& section) {
    rev = ini.ReadInteger(section, "Rev", rev);
    visible = ini.ReadBool(section, "Visible", visible);
    dockedTo = ini.ReadText(section, "DockedTo", dockedTo);
    lastDock = ini.ReadText(section, "LastDock", lastDock);
    dockRow = ini.ReadInteger(section, "DockRow", dockRow);
    dockPos = ini.ReadInteger(section, "DockPos", dockPos);
    floatLeft = ini.ReadInteger(section, "FloatLeft", floatLeft);
    floatTop = ini.ReadInteger(section, "FloatTop", floatTop);
}

void TToolbarLayout::Write(platform::IniFile& ini, const std::string& section) const {
    ini.WriteInteger(section, "Rev", rev);
    ini.WriteBool(section, "Visible", visible);
    ini.WriteText(section, "DockedTo", dockedTo);
    ini.WriteText(section, "LastDock", lastDock);
    ini.WriteInteger(section, "DockRow", dockRow);
    ini.WriteInteger(section, "DockPos", dockPos);
    ini.WriteInteger(section, "FloatLeft", floatLeft);
    ini.WriteInteger(section, "FloatTop", floatTop);
}

}  // namespace app
