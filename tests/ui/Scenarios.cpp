// The scenarios that run the program. This file is UTF-8 and is compiled with the
// execution character set CP932, so its Japanese literals are the Shift-JIS bytes the
// program shows under code page 932.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Expected.h"
#include "Harness.h"
#include "Scenario.h"
#include "Settings.h"
#include "WorkedExampleBytes.h"
#include "resource.h"

namespace {

// Most bytes each input field takes.
struct FieldLimit {
    int id;
    int limit;
};
constexpr FieldLimit kLimits[] = {
    {IDC_TOP_LEFT_LAT_DEGREES, kLatitudeDegreesMaxLength},
    {IDC_TOP_LEFT_LAT_MINUTES, kMinutesMaxLength},
    {IDC_TOP_LEFT_LAT_SECONDS, kSecondsMaxLength},
    {IDC_TOP_LEFT_LON_DEGREES, kLongitudeDegreesMaxLength},
    {IDC_TOP_LEFT_LON_MINUTES, kMinutesMaxLength},
    {IDC_TOP_LEFT_LON_SECONDS, kSecondsMaxLength},
    {IDC_BOTTOM_RIGHT_LAT_DEGREES, kLatitudeDegreesMaxLength},
    {IDC_BOTTOM_RIGHT_LAT_MINUTES, kMinutesMaxLength},
    {IDC_BOTTOM_RIGHT_LAT_SECONDS, kSecondsMaxLength},
    {IDC_BOTTOM_RIGHT_LON_DEGREES, kLongitudeDegreesMaxLength},
    {IDC_BOTTOM_RIGHT_LON_MINUTES, kMinutesMaxLength},
    {IDC_BOTTOM_RIGHT_LON_SECONDS, kSecondsMaxLength},
    {IDC_EAST_WEST_DISTANCE, kDistanceMaxLength},
    {IDC_NORTH_SOUTH_DISTANCE, kDistanceMaxLength},
    {IDC_MAP_NAME, kMapNameMaxLength},
    {IDC_FOLDER_NAME, kFolderNameMaxLength},
};

const char* const kSuccess = "SUCCESS : File convert finish.";
const char* const kIndexExists = "エラー：同名ファイルがあり、作成できません";

std::string hex(long value) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

const char* iconName(MessageBoxContent::Icon icon) {
    switch (icon) {
    case MessageBoxContent::Icon::Information: return "information";
    case MessageBoxContent::Icon::Exclamation: return "exclamation";
    default: return "none";
    }
}

// Checks the message box that the program shows next, then closes it.
void expectMessage(ScenarioContext& context, Program& program, const std::string& text,
                   const std::string& caption, MessageBoxContent::Icon icon,
                   const std::string& when) {
    const MessageBoxContent box = readAndCloseMessageBox(program, program.mainDialog());
    context.checks.equal(box.text, text, when + ": message text");
    context.checks.equal(box.caption, caption, when + ": message caption");
    context.checks.equal(iconName(box.icon), iconName(icon), when + ": message icon");
}

// The program starts in a folder of its own, beside the folder of the bitmaps.
std::string startFolder(const ScenarioContext& context) { return context.workFolder + "\\start"; }

HWND startProgram(ScenarioContext& context, Program& program) {
    step("start Tessella.exe");
    CreateDirectoryA(startFolder(context).c_str(), nullptr);
    if (!context.checks.check(program.start(context.exe, startFolder(context)), "Tessella.exe starts")) {
        return nullptr;
    }
    HWND main = program.waitForMainDialog();
    context.checks.check(main != nullptr, "the main dialog appears");
    return main;
}

// The bitmaps lie in a folder with a Japanese name whose first character's second byte
// is 0x5C, the byte of a backslash: paths are multibyte text, not bytes.
std::string mapsFolder(const ScenarioContext& context) { return context.workFolder + "\\表示の地図"; }

// Writes the bitmap into the maps folder.
void putBitmap(ScenarioContext& context, const std::string& name, const Bytes& bytes) {
    CreateDirectoryA(mapsFolder(context).c_str(), nullptr);
    context.checks.check(writeBinaryFile(mapsFolder(context) + "\\" + name, bytes),
                         "writing " + name);
}

// BMP FILE, then the file in the maps folder.
bool chooseBitmap(ScenarioContext& context, Program& program, const std::string& name) {
    clickButton(program.mainDialog(), IDC_BMP_FILE);
    HWND dialog = program.waitForWindow(WindowKind::FileDialog, 15000, program.mainDialog());
    if (!context.checks.check(dialog != nullptr, "the file dialog opens")) return false;
    return context.checks.check(chooseFile(dialog, context.workFolder, mapsFolder(context), name),
                                "choosing " + name + " in the file dialog");
}

void typeExampleSettings(HWND main) {
    const ExampleSettings settings;
    typeInto(main, IDC_MAP_NAME, settings.mapName);
    typeInto(main, IDC_FOLDER_NAME, settings.folderName);
    for (int i = 0; i < 14; ++i) typeInto(main, IDC_TOP_LEFT_LAT_DEGREES + i, settings.fields[i]);
}

// The 17 controls that wait for an accepted bitmap.
std::vector<int> gatedControls() {
    std::vector<int> ids{IDC_CONVERT};
    for (int id = IDC_TOP_LEFT_LAT_DEGREES; id <= IDC_FOLDER_NAME; ++id) ids.push_back(id);
    return ids;
}

void expectGated(ScenarioContext& context, HWND main, bool enabled, const std::string& when) {
    for (int id : gatedControls()) {
        context.checks.check(controlEnabled(main, id) == enabled,
                             when + ": control " + std::to_string(id) +
                                 (enabled ? " enabled" : " disabled"));
    }
}

// The displays after a choice: the accepted bitmap's path (empty before any) and its size.
void expectDisplays(ScenarioContext& context, HWND main, const std::string& path, const std::string& width,
                    const std::string& height, const std::string& when) {
    context.checks.equal(controlText(main, IDC_PATH_DISPLAY), path, when + ": path shown");
    context.checks.equal(controlText(main, IDC_WIDTH_DISPLAY), width, when + ": width shown");
    context.checks.equal(controlText(main, IDC_HEIGHT_DISPLAY), height, when + ": height shown");
}

bool expectExit(ScenarioContext& context, Program& program, const std::string& how) {
    return context.checks.check(program.waitForExit(10000), how + " ends the program");
}

void screenshot(ScenarioContext& context, HWND window, const std::string& name) {
    pause(300);  // let it finish painting
    context.checks.check(saveScreenshot(window, context.shotFolder + "\\" + name + ".bmp"),
                         "screenshot " + name);
}

// The index file and every tile of a conversion with the worked example's settings.
void expectConvertedFiles(ScenarioContext& context, int columns, int rows) {
    const std::string folder = mapsFolder(context) + "\\";
    Bytes actual;
    context.checks.check(readBinaryFile(folder + "area01.vlm", actual), "area01.vlm exists beside the bitmap");
    const std::string indexDifference = firstDifference(actual, exampleIndexRecord(columns, rows));
    context.checks.check(indexDifference.empty(), "area01.vlm: " + indexDifference);
    for (int row = 0; row < rows; ++row) {
        char level[64];
        snprintf(level, sizeof level, "area01\\layer1\\level%03d", row);
        context.checks.check(folderExists(folder + level), std::string("folder ") + level);
        for (int column = 0; column < columns; ++column) {
            char tile[96];
            snprintf(tile, sizeof tile, "%s\\smpl%03d%03d.map", level, column, row);
            if (!context.checks.check(readBinaryFile(folder + tile, actual), std::string(tile) + " exists")) {
                continue;
            }
            const std::string difference =
                firstDifference(actual, exampleTileFile(column, row, columns, rows));
            context.checks.check(difference.empty(), std::string(tile) + ": " + difference);
        }
    }
    char extra[64];
    snprintf(extra, sizeof extra, "area01\\layer1\\level%03d", rows);
    context.checks.check(!folderExists(folder + extra), "no level folder beyond the last row");
}

}  // namespace

void checkStartState(ScenarioContext& context) {
    Program program;
    HWND main = startProgram(context, program);
    if (main == nullptr) return;
    Checks& checks = context.checks;

    step("window");
    checks.equal(windowText(main), "Tessella", "caption");
    const LONG style = GetWindowLongA(main, GWL_STYLE);
    checks.check((style & 0x90C800C0 & ~DS_SETFONT) == (0x90C800C0 & ~DS_SETFONT),
                 "dialog style has popup, visible, caption, system menu, modal frame: " + hex(style));
    checks.check((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0,
                 "no minimise box, maximise box or sizing border: " + hex(style));
    checks.check((GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0, "WS_EX_APPWINDOW");

    step("enabled controls and texts");
    expectGated(context, main, false, "at start");
    for (int id : {IDC_BMP_FILE, IDC_ABOUT, IDC_PATH_DISPLAY, IDC_WIDTH_DISPLAY, IDC_HEIGHT_DISPLAY}) {
        checks.check(controlEnabled(main, id), "control " + std::to_string(id) + " enabled at start");
    }
    for (int id = IDC_TOP_LEFT_LAT_DEGREES; id <= IDC_NORTH_SOUTH_DISTANCE; ++id) {
        checks.equal(controlText(main, id), "0", "field " + std::to_string(id) + " at start");
    }
    for (int id : {IDC_MAP_NAME, IDC_FOLDER_NAME, IDC_PATH_DISPLAY, IDC_WIDTH_DISPLAY, IDC_HEIGHT_DISPLAY}) {
        checks.equal(controlText(main, id), "", "field " + std::to_string(id) + " at start");
    }
    // The system gives the focus when it activates the new window.
    HWND focus = nullptr;
    for (int waited = 0; waited < 3000 && focus != GetDlgItem(main, IDC_BMP_FILE); waited += 50) {
        focus = focusedWindow(program.threadId());
        pause(50);
    }
    checks.check(focus == GetDlgItem(main, IDC_BMP_FILE),
                 "the focus is on BMP FILE, not on control " + std::to_string(GetDlgCtrlID(focus)));

    step("limits and styles");
    for (const FieldLimit& field : kLimits) {
        checks.equal(controlLimit(main, field.id), field.limit, "limit of " + std::to_string(field.id));
        const LONG expected = field.id <= IDC_NORTH_SOUTH_DISTANCE ? 0x50812000 : 0x50810000;
        // A running edit control trades WS_BORDER for a client edge.
        const LONG ignored = WS_DISABLED | WS_BORDER;
        const LONG actual = controlStyle(main, field.id) & ~ignored;
        checks.check((actual & ~ES_NUMBER) == (expected & ~ignored & ~ES_NUMBER) &&
                         ((actual & ES_NUMBER) != 0) == (field.id <= IDC_NORTH_SOUTH_DISTANCE) &&
                         (actual & ES_AUTOHSCROLL) == 0,
                     "style of " + std::to_string(field.id) + ": " + hex(actual));
    }
    for (int id : {IDC_PATH_DISPLAY, IDC_WIDTH_DISPLAY, IDC_HEIGHT_DISPLAY}) {
        checks.check((controlStyle(main, id) & (ES_READONLY | WS_BORDER | WS_TABSTOP)) == ES_READONLY,
                     "display " + std::to_string(id) + " is read-only without border or tab stop");
        checks.check((controlExStyle(main, id) & WS_EX_STATICEDGE) != 0,
                     "display " + std::to_string(id) + " has a static edge");
    }
    for (int id : {IDC_BMP_FILE, IDC_CONVERT, IDC_ABOUT}) {
        const LONG buttonStyle = controlStyle(main, id);
        checks.check((buttonStyle & 0x0F) == BS_PUSHBUTTON && (buttonStyle & WS_TABSTOP),
                     "button " + std::to_string(id) + " is a plain push button: " + hex(buttonStyle));
    }

    step("labels under code page 932");
    const std::vector<std::string> expectedLabels = {
        "BMP FILE", "CONVERT", "ABOUT", "Width", "Height",
        "緯度", "地図左上", "経度", "度", "度", "分", "分", "秒", "秒",
        "緯度", "地図右下", "経度", "度", "度", "分", "分", "秒", "秒",
        "地図東西距離", "地図南北距離", "ｍ", "ｍ", "GPS情報設定",
        "データ名", "フォルダ名", "※小文字の英数字（a～z、0～9）",
    };
    const std::vector<std::string> labels = childTexts(main);
    checks.equal(static_cast<long long>(labels.size()), static_cast<long long>(expectedLabels.size()),
                 "number of labels and buttons");
    for (size_t i = 0; i < labels.size() && i < expectedLabels.size(); ++i) {
        checks.equal(labels[i], expectedLabels[i], "label " + std::to_string(i + 1));
    }

    screenshot(context, main, "main-dialog-start");

    step("Esc closes the program");
    postKey(GetDlgItem(main, IDC_BMP_FILE), VK_ESCAPE);
    expectExit(context, program, "Esc");
}

void checkTyping(ScenarioContext& context) {
    putBitmap(context, "wide.bmp", makeSampleBitmap(640, 480));
    Program program;
    HWND main = startProgram(context, program);
    if (main == nullptr) return;
    Checks& checks = context.checks;

    step("accept a 640 x 480 bitmap");
    if (!chooseBitmap(context, program, "wide.bmp")) return;
    expectDisplays(context, main, mapsFolder(context) + "\\wide.bmp", "640", "480", "after the choice");
    expectGated(context, main, true, "after the choice");

    step("typing stops at each limit; digits-only fields refuse other characters");
    struct Typed {
        int id;
        const char* keys;
        const char* result;
    };
    const Typed cases[] = {
        {IDC_TOP_LEFT_LAT_DEGREES, "123", "12"},
        {IDC_TOP_LEFT_LAT_MINUTES, "987", "98"},
        {IDC_TOP_LEFT_LAT_SECONDS, "5a-.6", "56"},
        {IDC_TOP_LEFT_LON_DEGREES, "1234", "123"},
        {IDC_TOP_LEFT_LON_MINUTES, "-45", "45"},
        {IDC_TOP_LEFT_LON_SECONDS, "x7y8z9", "78"},
        {IDC_BOTTOM_RIGHT_LAT_DEGREES, "999", "99"},
        {IDC_BOTTOM_RIGHT_LAT_MINUTES, "12", "12"},
        {IDC_BOTTOM_RIGHT_LAT_SECONDS, " 3 4", "34"},
        {IDC_BOTTOM_RIGHT_LON_DEGREES, "1801", "180"},
        {IDC_BOTTOM_RIGHT_LON_MINUTES, "0.5", "05"},
        {IDC_BOTTOM_RIGHT_LON_SECONDS, "+59", "59"},
        {IDC_EAST_WEST_DISTANCE, "123456789", "1234567"},
        {IDC_NORTH_SOUTH_DISTANCE, "1-2.3e4", "1234"},
        {IDC_MAP_NAME, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN", "abcdefghijklmnopqrstuvwxyzABCDEF"},
        {IDC_FOLDER_NAME, "abcdefghijk", "abcdefgh"},
    };
    for (const Typed& typed : cases) {
        typeInto(main, typed.id, typed.keys);
        checks.equal(controlText(main, typed.id), typed.result,
                     "typing \"" + std::string(typed.keys) + "\" into " + std::to_string(typed.id));
    }

    step("Enter in an input field closes the program");
    postKey(GetDlgItem(main, IDC_MAP_NAME), VK_RETURN);
    expectExit(context, program, "Enter in the map name");
}

void checkBitmapChoice(ScenarioContext& context) {
    putBitmap(context, "notbmp.bmp", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    putBitmap(context, "small.bmp", makeSmallBitmap());
    putBitmap(context, "tall.bmp", makeSampleBitmap(480, 640));
    Program program;
    HWND main = startProgram(context, program);
    if (main == nullptr) return;
    const auto information = MessageBoxContent::Icon::Information;

    step("a file that is no bitmap is refused; nothing changes");
    if (!chooseBitmap(context, program, "notbmp.bmp")) return;
    expectMessage(context, program, "Error : this file is not bmp-file", "Warning", information,
                  "not a bitmap");
    expectDisplays(context, main, "", "", "", "after the refusal");
    expectGated(context, main, false, "after the refusal");

    step("a bitmap below 480 x 480 is refused");
    if (!chooseBitmap(context, program, "small.bmp")) return;
    expectMessage(context, program, "This software only support Width>=480 and Height>=480 bitmap.",
                  "Warning", information, "small bitmap");
    expectGated(context, main, false, "after the second refusal");

    step("a bitmap is accepted");
    if (!chooseBitmap(context, program, "tall.bmp")) return;
    const std::string tallPath = mapsFolder(context) + "\\tall.bmp";
    expectDisplays(context, main, tallPath, "480", "640", "after the choice");
    expectGated(context, main, true, "after the choice");

    step("a cancelled choice changes nothing");
    clickButton(main, IDC_BMP_FILE);
    HWND fileDialog = program.waitForWindow(WindowKind::FileDialog, 15000, main);
    if (!context.checks.check(fileDialog != nullptr, "the file dialog opens")) return;
    // The file type box (cmb1) shows the one filter; the read-only box (chx1) is hidden.
    context.checks.equal(controlText(fileDialog, 0x470), "bitmap (*.bmp)", "file dialog filter");
    HWND readOnly = GetDlgItem(fileDialog, 0x410);
    context.checks.check(readOnly == nullptr || !IsWindowVisible(readOnly),
                         "the file dialog has no read-only check box");
    cancelFileDialog(fileDialog);
    pause(200);
    context.checks.check(program.findWindow(WindowKind::MessageBox) == nullptr, "no message after cancel");
    expectDisplays(context, main, tallPath, "480", "640", "after cancelling");
    expectGated(context, main, true, "after cancelling");

    step("a refused choice keeps the accepted bitmap, and CONVERT converts it");
    if (!chooseBitmap(context, program, "small.bmp")) return;
    expectMessage(context, program, "This software only support Width>=480 and Height>=480 bitmap.",
                  "Warning", information, "small bitmap after an accepted one");
    expectDisplays(context, main, tallPath, "480", "640", "after the refusal");
    expectGated(context, main, true, "after the refusal");
    typeExampleSettings(main);
    clickButton(main, IDC_CONVERT);
    expectMessage(context, program, kSuccess, "", information, "CONVERT");
    expectConvertedFiles(context, 3, 4);

    step("the system menu's Close ends the program");
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    expectExit(context, program, "Close");
}

void checkValidation(ScenarioContext& context) {
    putBitmap(context, "sample.bmp", makeSampleBitmap(480, 480));
    Program program;
    HWND main = startProgram(context, program);
    if (main == nullptr) return;
    if (!chooseBitmap(context, program, "sample.bmp")) return;
    typeExampleSettings(main);

    struct Refusal {
        int id;
        const char* text;       // typed into the field before CONVERT
        const char* restore;    // the valid text put back afterwards
        const char* message;
    };
    const Refusal refusals[] = {
        {IDC_MAP_NAME, "", "SAMPLE MAP", "ERROR : Illegal Map Name."},
        {IDC_FOLDER_NAME, "", "area01", "ERROR : Illegal Folder Name."},
        {IDC_FOLDER_NAME, "Area01", "area01", "ERROR : Illegal Folder Name. you can use a..z and 0..9."},
        {IDC_FOLDER_NAME, "area_1", "area01", "ERROR : Illegal Folder Name. you can use a..z and 0..9."},
        {IDC_BOTTOM_RIGHT_LAT_MINUTES, "40", "39", "ERROR : Illegal Latitude."},     // bottom-right = top-left latitude
        {IDC_BOTTOM_RIGHT_LON_MINUTES, "44", "46", "ERROR : Illegal Longitude."},    // bottom-right west of top-left
        {IDC_EAST_WEST_DISTANCE, "0", "1852", "ERROR : Illegal distance(>0)."},
        {IDC_NORTH_SOUTH_DISTANCE, "", "926", "ERROR : Illegal distance(>0)."},
    };
    for (const Refusal& refusal : refusals) {
        step(refusal.message);
        setControlText(main, refusal.id, refusal.text);
        clickButton(main, IDC_CONVERT);
        expectMessage(context, program, refusal.message, "", MessageBoxContent::Icon::Information,
                      "field " + std::to_string(refusal.id) + " = \"" + refusal.text + "\"");
        setControlText(main, refusal.id, refusal.restore);
    }
    const std::string maps = mapsFolder(context);
    context.checks.check(!folderExists(maps + "\\area01") && !fileExists(maps + "\\area01.vlm"),
                         "a refused CONVERT writes nothing");

    step("the close box ends the program");
    PostMessageA(main, WM_CLOSE, 0, 0);
    expectExit(context, program, "The close box");
}

// The bundled sample map where a user would keep it, with the settings of its README;
// the main dialog at that moment is the picture in the project's README.
void checkSampleMap(ScenarioContext& context) {
    Checks& checks = context.checks;
    const char* sample = getenv("TESSELLA_SAMPLE_BITMAP");
    if (!checks.check(sample != nullptr, "TESSELLA_SAMPLE_BITMAP names the bundled sample")) return;
    const std::string folder = "C:\\Maps";
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!checks.check(CopyFileA(windowsPath(sample).c_str(), (folder + "\\east-asia.bmp").c_str(), FALSE) != 0,
                      "copying the sample to " + folder)) {
        return;
    }
    Program program;
    HWND main = startProgram(context, program);
    if (main == nullptr) return;

    step("choose C:\\Maps\\east-asia.bmp and type its settings");
    clickButton(main, IDC_BMP_FILE);
    HWND dialog = program.waitForWindow(WindowKind::FileDialog, 15000, main);
    if (!checks.check(dialog != nullptr, "the file dialog opens")) return;
    if (!checks.check(chooseFile(dialog, "C:\\", folder, "east-asia.bmp"), "choosing east-asia.bmp")) return;
    expectDisplays(context, main, folder + "\\east-asia.bmp", "960", "640", "after the choice");
    const struct {
        int id;
        const char* text;
    } fields[] = {
        {IDC_MAP_NAME, "East Asia"},
        {IDC_FOLDER_NAME, "eastasia"},
        {IDC_TOP_LEFT_LAT_DEGREES, "47"},
        {IDC_TOP_LEFT_LAT_MINUTES, "48"},
        {IDC_TOP_LEFT_LAT_SECONDS, "45"},
        {IDC_TOP_LEFT_LON_DEGREES, "120"},
        {IDC_TOP_LEFT_LON_MINUTES, "56"},
        {IDC_TOP_LEFT_LON_SECONDS, "15"},
        {IDC_BOTTOM_RIGHT_LAT_DEGREES, "30"},
        {IDC_BOTTOM_RIGHT_LAT_MINUTES, "56"},
        {IDC_BOTTOM_RIGHT_LAT_SECONDS, "15"},
        {IDC_BOTTOM_RIGHT_LON_DEGREES, "146"},
        {IDC_BOTTOM_RIGHT_LON_MINUTES, "15"},
        {IDC_BOTTOM_RIGHT_LON_SECONDS, "0"},
        {IDC_EAST_WEST_DISTANCE, "2178179"},
        {IDC_NORTH_SOUTH_DISTANCE, "1872281"},
    };
    for (const auto& field : fields) typeInto(main, field.id, field.text);
    screenshot(context, main, "main-dialog");

    step("CONVERT writes the map beside the sample");
    clickButton(main, IDC_CONVERT);
    expectMessage(context, program, kSuccess, "", MessageBoxContent::Icon::Information, "CONVERT");
    checks.check(fileExists(folder + "\\eastasia.vlm"), "eastasia.vlm beside the sample");
    checks.check(fileExists(folder + "\\eastasia\\layer1\\level003\\smpl005003.map"),
                 "the last of its 6 x 4 tiles");

    step("Esc closes the program");
    postKey(GetDlgItem(main, IDC_BMP_FILE), VK_ESCAPE);
    expectExit(context, program, "Esc");
}

void checkConversion(ScenarioContext& context) {
    putBitmap(context, "sample.bmp", makeSampleBitmap(480, 480));
    Program program;
    HWND main = startProgram(context, program);
    if (main == nullptr) return;
    Checks& checks = context.checks;
    const auto information = MessageBoxContent::Icon::Information;

    step("the worked example, converted");
    if (!chooseBitmap(context, program, "sample.bmp")) return;
    typeExampleSettings(main);
    clickButton(main, IDC_CONVERT);
    expectMessage(context, program, kSuccess, "", information, "CONVERT");

    const std::string maps = mapsFolder(context);
    expectConvertedFiles(context, 3, 3);
    Bytes index;
    readBinaryFile(maps + "\\area01.vlm", index);
    const std::string workedDifference =
        firstDifference(index, Bytes(std::begin(kWorkedExampleIndex), std::end(kWorkedExampleIndex)));
    checks.check(workedDifference.empty(), "area01.vlm against the worked example: " + workedDifference);
    Bytes tile;
    readBinaryFile(maps + "\\area01\\layer1\\level001\\smpl002001.map", tile);
    tile.resize(160);
    const std::string tileDifference = firstDifference(tile, workedExampleTile21Header());
    checks.check(tileDifference.empty(), "header of tile (2, 1) against the worked example: " + tileDifference);
    checks.check(!fileExists(startFolder(context) + "\\area01.vlm"),
                 "nothing is written in the folder the program started in");

    step("a second CONVERT meets the existing index file");
    clickButton(main, IDC_CONVERT);
    expectMessage(context, program, kIndexExists, "Warning", MessageBoxContent::Icon::Exclamation,
                  "second CONVERT");
    Bytes indexAfter;
    readBinaryFile(maps + "\\area01.vlm", indexAfter);
    checks.check(indexAfter == index, "the existing index file is unchanged");

    step("Enter while CONVERT has the focus runs CONVERT");
    HWND convert = GetDlgItem(main, IDC_CONVERT);
    SendMessageA(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(convert), TRUE);
    checks.check(focusedWindow(program.threadId()) == convert, "CONVERT has the focus");
    postKey(convert, VK_RETURN);
    expectMessage(context, program, kIndexExists, "Warning", MessageBoxContent::Icon::Exclamation,
                  "Enter on CONVERT");
    checks.check(program.running(), "the program still runs after Enter on CONVERT");

    step("a Japanese map name is stored as Shift-JIS bytes, cut at 16 bytes in the tiles");
    const std::string japaneseName = "東京湾岸の詳細地図です";  // 22 bytes
    setControlText(main, IDC_MAP_NAME, japaneseName);
    setControlText(main, IDC_FOLDER_NAME, "area02");
    clickButton(main, IDC_CONVERT);
    expectMessage(context, program, kSuccess, "", information, "CONVERT with a Japanese name");
    Bytes index2;
    readBinaryFile(maps + "\\area02.vlm", index2);
    Bytes expectedName(32, 0);
    for (size_t i = 0; i < japaneseName.size(); ++i) expectedName[i] = static_cast<uint8_t>(japaneseName[i]);
    index2.resize(160);
    checks.check(Bytes(index2.begin(), index2.begin() + 32) == expectedName,
                 "area02.vlm holds the name's Shift-JIS bytes");
    Bytes tile2;
    readBinaryFile(maps + "\\area02\\layer1\\level002\\smpl001002.map", tile2);
    tile2.resize(160);
    checks.check(Bytes(tile2.begin() + 16, tile2.begin() + 32) ==
                     Bytes(expectedName.begin(), expectedName.begin() + 16),
                 "the tile header holds the name's first 16 bytes");

    step("Esc closes the program");
    postKey(convert, VK_ESCAPE);
    expectExit(context, program, "Esc");
}

void checkAboutBox(ScenarioContext& context) {
    Program program;
    HWND main = startProgram(context, program);
    if (main == nullptr) return;
    Checks& checks = context.checks;

    struct Opening {
        const char* how;
        bool button;
        UINT command;
    };
    const Opening openings[] = {
        {"the ABOUT button", true, 0},
        {"the system-menu item", false, IDM_ABOUTBOX},
        {"a system command 0x1F", false, 0x1F},
    };
    int shown = 0;
    for (const Opening& opening : openings) {
        step(opening.how);
        if (opening.button) {
            clickButton(main, IDC_ABOUT);
        } else {
            PostMessageA(main, WM_SYSCOMMAND, opening.command, 0);
        }
        HWND about = program.waitForWindow(WindowKind::AboutBox, 15000, main);
        if (!checks.check(about != nullptr, std::string("the About box opens from ") + opening.how)) continue;
        checks.equal(windowText(about), "Quilletについて", "About caption");
        const std::vector<std::string> expected = {
            "", "Tessella Version 1.01", "OK",
            "使用方法：\r　Windowsビットマップ形式(bmp)ファイルを読み込み、Velmora用\r　のデータを作成します",
            "※ビットマップファイルは、24bpp、非圧縮、横480×縦480以上\r　の大きさ、縦横が160で割り切れるサイズであること。",
        };
        const std::vector<std::string> texts = childTexts(about);
        checks.equal(static_cast<long long>(texts.size()), static_cast<long long>(expected.size()),
                     "controls of the About box");
        for (size_t i = 1; i < texts.size() && i < expected.size(); ++i) {
            checks.equal(texts[i], expected[i], "About text " + std::to_string(i + 1));
        }
        checks.check(focusedWindow(program.threadId()) == GetDlgItem(about, IDOK), "the focus is on OK");
        if (shown++ == 0) screenshot(context, about, "about-box");

        // Each showing is closed a different way: OK, Esc, the close box.
        if (shown == 1) clickButton(about, IDOK);
        if (shown == 2) postKey(GetDlgItem(about, IDOK), VK_ESCAPE);
        if (shown == 3) PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        checks.check(waitUntilClosed(about), "the About box closes");
        pause(100);
        checks.check(IsWindowEnabled(main) && program.running(), "the main dialog is usable again");
        checks.equal(controlText(main, IDC_TOP_LEFT_LAT_DEGREES), "0", "fields unchanged after the About box");
    }

    step("Esc closes the program");
    postKey(GetDlgItem(main, IDC_BMP_FILE), VK_ESCAPE);
    expectExit(context, program, "Esc");
}
