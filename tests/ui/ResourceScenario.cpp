// Checks the resources compiled into Tessella.exe (not the resource script): the two
// dialog templates control by control, string 101, icon group 128 and the version
// record, all in Japanese (language 0x0411), with the texts as UTF-16.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "IconPosition.h"
#include "Scenario.h"
#include "resource.h"

namespace {

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

std::string utf8(const std::u16string& text) {
    if (text.empty()) return "";
    const int size = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(text.data()),
                                         static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(text.data()),
                        static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string hex(unsigned long value) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

// Reads a dialog template field by field.
class TemplateReader {
public:
    TemplateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    uint16_t word() {
        if (at_ + 2 > size_) return fail();
        const uint16_t v = static_cast<uint16_t>(data_[at_] | (data_[at_ + 1] << 8));
        at_ += 2;
        return v;
    }
    uint32_t dword() {
        const uint32_t low = word();
        return low | (static_cast<uint32_t>(word()) << 16);
    }
    uint8_t byte() {
        if (at_ + 1 > size_) return static_cast<uint8_t>(fail());
        return data_[at_++];
    }
    // A text, or an ordinal written as "#n".
    std::u16string nameOrOrdinal() {
        const uint16_t first = word();
        if (first == 0xFFFF) {
            char number[8];
            snprintf(number, sizeof number, "#%u", static_cast<unsigned>(word()));
            return std::u16string(number, number + strlen(number));
        }
        std::u16string text;
        for (uint16_t c = first; c != 0 && ok_; c = word()) text.push_back(static_cast<char16_t>(c));
        return text;
    }
    void alignToDword() { at_ = (at_ + 3) & ~static_cast<size_t>(3); }
    void skip(size_t count) { at_ += count; }

private:
    uint16_t fail() {
        ok_ = false;
        return 0;
    }
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

struct Control {
    int id;
    const char16_t* kind;  // class name or ordinal
    const char16_t* text;
    short x, y, cx, cy;
    uint32_t style;
    uint32_t exStyle;
};

struct DialogTemplate {
    const char16_t* caption;
    short x, y, cx, cy;
    uint32_t style;
    uint32_t exStyle;
    std::vector<Control> controls;
};

constexpr uint32_t kButton = 0x50010000, kDisplay = 0x50000800, kDigits = 0x50812000;
constexpr uint32_t kAnyText = 0x50810000, kLabel = 0x50020200, kStaticEdge = 0x00020000;

const DialogTemplate kMainDialog = {
    u"Tessella", 0, 0, 299, 263, 0x90C800C0, 0x00040000,
    {
        {IDC_BMP_FILE, u"Button", u"BMP FILE", 16, 12, 50, 14, kButton, 0},
        {IDC_CONVERT, u"Button", u"CONVERT", 16, 236, 50, 14, kButton, 0},
        {IDC_ABOUT, u"Button", u"ABOUT", 232, 236, 50, 14, kButton, 0},
        {IDC_PATH_DISPLAY, u"Edit", u"", 72, 13, 208, 12, kDisplay, kStaticEdge},
        {IDC_WIDTH_DISPLAY, u"Edit", u"", 96, 28, 32, 12, kDisplay, kStaticEdge},
        {-1, u"Static", u"Width", 72, 28, 24, 12, kLabel, 0},
        {IDC_HEIGHT_DISPLAY, u"Edit", u"", 164, 28, 32, 12, kDisplay, kStaticEdge},
        {-1, u"Static", u"Height", 140, 28, 24, 12, kLabel, 0},
        {IDC_TOP_LEFT_LAT_DEGREES, u"Edit", u"", 116, 104, 24, 14, kDigits, 0},
        {IDC_TOP_LEFT_LAT_MINUTES, u"Edit", u"", 152, 104, 24, 14, kDigits, 0},
        {IDC_TOP_LEFT_LAT_SECONDS, u"Edit", u"", 188, 104, 24, 14, kDigits, 0},
        {IDC_TOP_LEFT_LON_DEGREES, u"Edit", u"", 116, 120, 24, 14, kDigits, 0},
        {IDC_TOP_LEFT_LON_MINUTES, u"Edit", u"", 152, 120, 24, 14, kDigits, 0},
        {IDC_TOP_LEFT_LON_SECONDS, u"Edit", u"", 188, 120, 24, 14, kDigits, 0},
        {IDC_BOTTOM_RIGHT_LAT_DEGREES, u"Edit", u"", 116, 148, 24, 14, kDigits, 0},
        {IDC_BOTTOM_RIGHT_LAT_MINUTES, u"Edit", u"", 152, 148, 24, 14, kDigits, 0},
        {IDC_BOTTOM_RIGHT_LAT_SECONDS, u"Edit", u"", 188, 148, 24, 14, kDigits, 0},
        {IDC_BOTTOM_RIGHT_LON_DEGREES, u"Edit", u"", 116, 164, 24, 14, kDigits, 0},
        {IDC_BOTTOM_RIGHT_LON_MINUTES, u"Edit", u"", 152, 164, 24, 14, kDigits, 0},
        {IDC_BOTTOM_RIGHT_LON_SECONDS, u"Edit", u"", 188, 164, 24, 14, kDigits, 0},
        {IDC_EAST_WEST_DISTANCE, u"Edit", u"", 120, 188, 72, 14, kDigits, 0},
        {IDC_NORTH_SOUTH_DISTANCE, u"Edit", u"", 120, 204, 72, 14, kDigits, 0},
        {-1, u"Static", u"緯度", 80, 104, 32, 12, kLabel, 0},
        {-1, u"Static", u"地図左上", 72, 92, 40, 12, kLabel, 0},
        {-1, u"Static", u"経度", 80, 120, 32, 12, kLabel, 0},
        {-1, u"Static", u"度", 140, 104, 12, 12, kLabel, 0},
        {-1, u"Static", u"度", 140, 120, 12, 12, kLabel, 0},
        {-1, u"Static", u"分", 176, 104, 12, 12, kLabel, 0},
        {-1, u"Static", u"分", 176, 120, 12, 12, kLabel, 0},
        {-1, u"Static", u"秒", 212, 104, 12, 12, kLabel, 0},
        {-1, u"Static", u"秒", 212, 120, 12, 12, kLabel, 0},
        {-1, u"Static", u"緯度", 80, 148, 32, 12, kLabel, 0},
        {-1, u"Static", u"地図右下", 72, 136, 40, 12, kLabel, 0},
        {-1, u"Static", u"経度", 80, 164, 32, 12, kLabel, 0},
        {-1, u"Static", u"度", 140, 148, 12, 12, kLabel, 0},
        {-1, u"Static", u"度", 140, 164, 12, 12, kLabel, 0},
        {-1, u"Static", u"分", 176, 148, 12, 12, kLabel, 0},
        {-1, u"Static", u"分", 176, 164, 12, 12, kLabel, 0},
        {-1, u"Static", u"秒", 212, 148, 12, 12, kLabel, 0},
        {-1, u"Static", u"秒", 212, 164, 12, 12, kLabel, 0},
        {-1, u"Static", u"地図東西距離", 72, 188, 44, 12, kLabel, 0},
        {-1, u"Static", u"地図南北距離", 72, 204, 44, 12, kLabel, 0},
        {-1, u"Static", u"ｍ", 192, 188, 12, 12, kLabel, 0},
        {-1, u"Static", u"ｍ", 192, 204, 12, 12, kLabel, 0},
        {-1, u"Button", u"GPS情報設定", 48, 80, 208, 148, 0x50000007, 0},
        {IDC_MAP_NAME, u"Edit", u"", 72, 44, 208, 14, kAnyText, 0},
        {-1, u"Static", u"データ名", 24, 44, 44, 12, kLabel, 0},
        {IDC_FOLDER_NAME, u"Edit", u"", 72, 60, 72, 14, kAnyText, 0},
        {-1, u"Static", u"フォルダ名", 24, 60, 44, 12, kLabel, 0},
        {-1, u"Static", u"※小文字の英数字（a～z、0～9）", 144, 60, 136, 12, kLabel, 0},
    },
};

const DialogTemplate kAboutBox = {
    u"Quilletについて", 0, 0, 235, 103, 0x80C800C0, 0,
    {
        {-1, u"Static", u"#128", 11, 17, 20, 20, 0x50000003, 0},
        {-1, u"Static", u"Tessella Version 1.01", 40, 10, 119, 8, 0x50020080, 0},
        {1, u"Button", u"OK", 172, 8, 50, 14, 0x50030001, 0},
        {-1, u"Static",
         u"使用方法：\r　Windowsビットマップ形式(bmp)ファイルを読み込み、Velmora用\r　のデータを作成します",
         40, 40, 188, 28, 0x50020000, 0},
        {-1, u"Static",
         u"※ビットマップファイルは、24bpp、非圧縮、横480×縦480以上\r　の大きさ、縦横が160で割り切れるサイズであること。",
         40, 68, 184, 28, 0x50020000, 0},
    },
};

// Class of a control, whether the template names it or gives the system's ordinal.
bool sameClass(const std::u16string& actual, const char16_t* expected) {
    static const struct {
        const char16_t* name;
        const char16_t* ordinal;
    } kOrdinals[] = {{u"Button", u"#128"}, {u"Edit", u"#129"}, {u"Static", u"#130"}};
    std::u16string lower;
    for (char16_t c : actual) lower.push_back(c >= u'A' && c <= u'Z' ? c + 32 : c);
    for (const auto& known : kOrdinals) {
        if (std::u16string(expected) != known.name) continue;
        std::u16string name;
        for (const char16_t* c = known.name; *c; ++c) name.push_back(*c >= u'A' && *c <= u'Z' ? *c + 32 : *c);
        return lower == name || actual == known.ordinal;
    }
    return false;
}

const uint8_t* findResource(HMODULE module, const char* type, int id, DWORD& size) {
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kJapanese);
    if (found == nullptr) return nullptr;
    size = SizeofResource(module, found);
    return static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
}

void checkDialog(Checks& checks, HMODULE module, int id, const DialogTemplate& expected) {
    const std::string name = "dialog " + std::to_string(id);
    DWORD size = 0;
    const uint8_t* data = findResource(module, MAKEINTRESOURCEA(5), id, size);
    if (!checks.check(data != nullptr, name + " exists in Japanese")) return;
    TemplateReader reader(data, size);
    checks.equal(reader.word(), 1, name + ": extended template version");
    checks.equal(reader.word(), 0xFFFF, name + ": extended template signature");
    reader.dword();  // help id
    const uint32_t exStyle = reader.dword();
    const uint32_t style = reader.dword();
    checks.check(exStyle == expected.exStyle, name + ": extended style " + hex(exStyle));
    checks.check(style == expected.style, name + ": style " + hex(style));
    const int count = reader.word();
    const short x = static_cast<short>(reader.word()), y = static_cast<short>(reader.word());
    const short cx = static_cast<short>(reader.word()), cy = static_cast<short>(reader.word());
    checks.check(x == expected.x && y == expected.y && cx == expected.cx && cy == expected.cy,
                 name + ": position and size");
    checks.check(reader.nameOrOrdinal().empty(), name + ": no menu");
    checks.check(reader.nameOrOrdinal().empty(), name + ": the system's dialog class");
    checks.equal(utf8(reader.nameOrOrdinal()), utf8(expected.caption), name + ": caption");
    checks.equal(reader.word(), 9, name + ": font size");
    checks.equal(reader.word(), 0, name + ": font weight");
    checks.equal(reader.byte(), 0, name + ": font not italic");
    checks.equal(reader.byte(), DEFAULT_CHARSET, name + ": default character set");
    checks.equal(utf8(reader.nameOrOrdinal()), utf8(u"ＭＳ Ｐゴシック"), name + ": font");
    if (!checks.equal(count, static_cast<long long>(expected.controls.size()), name + ": controls")) return;

    for (const Control& control : expected.controls) {
        const std::string where = name + ", control \"" + utf8(control.text) + "\" (" +
                                  std::to_string(control.id) + ")";
        reader.alignToDword();
        reader.dword();  // help id
        const uint32_t controlExStyle = reader.dword();
        const uint32_t controlStyle = reader.dword();
        const short cx0 = static_cast<short>(reader.word()), cy0 = static_cast<short>(reader.word());
        const short cw = static_cast<short>(reader.word()), ch = static_cast<short>(reader.word());
        const int controlId = static_cast<int>(reader.dword());
        const std::u16string kind = reader.nameOrOrdinal();
        const std::u16string text = reader.nameOrOrdinal();
        reader.skip(reader.word());  // creation data
        checks.equal(controlId, control.id, where + ": id");
        checks.check(sameClass(kind, control.kind), where + ": class " + utf8(kind));
        checks.equal(utf8(text), utf8(control.text), where + ": text");
        checks.check(cx0 == control.x && cy0 == control.y && cw == control.cx && ch == control.cy,
                     where + ": position and size");
        checks.check(controlStyle == control.style, where + ": style " + hex(controlStyle));
        checks.check(controlExStyle == control.exStyle, where + ": extended style " + hex(controlExStyle));
    }
    checks.check(reader.ok(), name + ": template read to its end");
}

void checkStringTable(Checks& checks, HMODULE module) {
    // Strings 96 to 111 are block 7: each a length and that many UTF-16 units.
    DWORD size = 0;
    const uint8_t* data = findResource(module, MAKEINTRESOURCEA(6), 7, size);
    if (!checks.check(data != nullptr, "string block 7 exists in Japanese")) return;
    TemplateReader reader(data, size);
    std::u16string text;
    for (int id = 96; id <= IDS_ABOUTBOX; ++id) {
        const int length = reader.word();
        text.clear();
        for (int i = 0; i < length; ++i) text.push_back(static_cast<char16_t>(reader.word()));
    }
    checks.equal(utf8(text), utf8(u"quillet のﾊﾞｰｼﾞｮﾝ情報(&A)..."), "string 101");
}

void checkIcon(Checks& checks, HMODULE module) {
    DWORD size = 0;
    const uint8_t* data = findResource(module, MAKEINTRESOURCEA(14), IDR_MAINFRAME, size);
    if (!checks.check(data != nullptr, "icon group 128 exists in Japanese")) return;
    TemplateReader reader(data, size);
    reader.word();
    checks.equal(reader.word(), 1, "icon group type");
    const int count = reader.word();
    checks.equal(count, 2, "icon group images");
    const int sizes[2] = {32, 16};
    for (int i = 0; i < count && i < 2; ++i) {
        const int width = reader.byte(), height = reader.byte(), colours = reader.byte();
        reader.byte();
        reader.word();  // planes
        const int bits = reader.word();
        const uint32_t bytes = reader.dword();
        const int imageId = reader.word();
        const std::string where = "icon image " + std::to_string(i + 1);
        checks.check(width == sizes[i] && height == sizes[i], where + " is " + std::to_string(sizes[i]) +
                                                                  " x " + std::to_string(sizes[i]));
        checks.check(colours == 16 && bits == 4, where + " has 16 colours");
        DWORD imageSize = 0;
        checks.check(findResource(module, MAKEINTRESOURCEA(3), imageId, imageSize) != nullptr &&
                         imageSize == bytes,
                     where + " is stored");
    }
    checks.check(LoadIconA(module, MAKEINTRESOURCEA(IDR_MAINFRAME)) != nullptr, "icon 128 loads");
}

void checkVersion(Checks& checks, HMODULE module) {
    DWORD size = 0;
    const uint8_t* data = findResource(module, MAKEINTRESOURCEA(16), 1, size);
    if (!checks.check(data != nullptr, "version record exists in Japanese")) return;
    const std::vector<uint8_t> bytes(data, data + size);
    const uint8_t signature[4] = {0xBD, 0x04, 0xEF, 0xFE};
    size_t at = 0;
    while (at + 4 <= bytes.size() && memcmp(&bytes[at], signature, 4) != 0) at += 4;
    if (!checks.check(at + 52 <= bytes.size(), "fixed file information present")) return;
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, &bytes[at], sizeof fixed);
    checks.check(fixed.dwFileVersionMS == 0x00010000 && fixed.dwFileVersionLS == 0x00000001,
                 "file version 1.0.0.1");
    checks.check(fixed.dwProductVersionMS == 0x00010000 && fixed.dwProductVersionLS == 0x00010001,
                 "product version 1.0.1.1");
    const std::u16string table = u"041104b0";
    const auto* first = reinterpret_cast<const char*>(table.data());
    const std::string key(first, first + 2 * table.size());
    checks.check(std::string(bytes.begin(), bytes.end()).find(key) != std::string::npos,
                 "string table for Japanese, code page 1200");
    const uint8_t translation[4] = {0x11, 0x04, 0xB0, 0x04};
    checks.check(std::string(bytes.begin(), bytes.end())
                         .find(std::string(reinterpret_cast<const char*>(translation), 4)) != std::string::npos,
                 "translation 0x0411, 1200");
}

}  // namespace

void checkResources(ScenarioContext& context) {
    step("resources of Tessella.exe");
    HMODULE module = LoadLibraryExA(context.exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!context.checks.check(module != nullptr, "Tessella.exe loads as data")) return;
    checkDialog(context.checks, module, IDD_CONVERTER_DIALOG, kMainDialog);
    checkDialog(context.checks, module, IDD_ABOUTBOX, kAboutBox);
    checkStringTable(context.checks, module);
    checkIcon(context.checks, module);
    checkVersion(context.checks, module);
    FreeLibrary(module);

    // A minimised window has no client area to paint under Wine, so the icon's place is
    // checked by itself.
    step("the icon's place in a minimised window");
    const struct {
        int clientWidth, clientHeight, x, y;
    } places[] = {{36, 37, 2, 3}, {32, 32, 0, 0}, {20, 21, -5, -5}, {0, 0, -15, -15}};
    for (const auto& place : places) {
        const POINT at = centredIconPosition(place.clientWidth, place.clientHeight, 32, 32);
        context.checks.check(at.x == place.x && at.y == place.y,
                             "32 x 32 icon in " + std::to_string(place.clientWidth) + " x " +
                                 std::to_string(place.clientHeight) + " at (" + std::to_string(at.x) +
                                 ", " + std::to_string(at.y) + ")");
    }
}
