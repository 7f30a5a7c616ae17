#include "ConverterDialog.h"

#include "AboutDialog.h"
#include "BitmapChoice.h"
#include "Conversion.h"
#include "FileServices.h"
#include "IconPosition.h"
#include "Messages.h"
#include "framework/FileDialog.h"
#include "framework/PaintDC.h"
#include "framework/Resources.h"
#include "resource.h"

namespace {

// The controls that stay disabled until a bitmap has been accepted: the sixteen input
// fields, each with the most bytes it takes (the same lengths cut the texts on CONVERT),
// and CONVERT.
struct GatedControl {
    int id;
    int maxLength;  // 0: not a text field
};
constexpr GatedControl kGatedControls[] = {
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
    {IDC_CONVERT, 0},
};

constexpr char kBitmapFilter[] = "bitmap (*.bmp)|*.bmp||";
// Without OFN_NOCHANGEDIR the dialog leaves the current directory at the chosen file's
// folder, where the output goes.
constexpr DWORD kBitmapDialogFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;

}  // namespace

ConverterDialog::ConverterDialog() : CDialog(IDD_CONVERTER_DIALOG) {
    const char* iconName = MAKEINTRESOURCEA(IDR_MAINFRAME);
    icon_ = ::LoadIconA(AfxFindResourceHandle(iconName, RT_GROUP_ICON), iconName);
}

BOOL ConverterDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    addAboutItemToSystemMenu();
    SendMessageA(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    resetJob(job_);
    enableGatedControls(FALSE);
    for (const GatedControl& control : kGatedControls) {
        if (control.maxLength > 0)
            SendDlgItemMessageA(control.id, EM_LIMITTEXT, static_cast<WPARAM>(control.maxLength), 0);
    }
    showInitialTexts();
    return TRUE;  // the system puts the focus on the first tab stop, BMP FILE
}

void ConverterDialog::addAboutItemToSystemMenu() {
    CMenu systemMenu = GetSystemMenu(FALSE);
    if (!systemMenu.exists()) return;
    const std::string aboutItem = loadResourceString(IDS_ABOUTBOX);
    if (aboutItem.empty()) return;
    systemMenu.AppendMenuA(MF_SEPARATOR);
    systemMenu.AppendMenuA(MF_STRING, IDM_ABOUTBOX, aboutItem.c_str());
}

void ConverterDialog::setFieldNumber(int id, uint32_t value) {
    SetDlgItemTextA(id, std::to_string(value).c_str());
}

// The job's corners and distances in their display form: every field shows "0" after
// the reset.
void ConverterDialog::showInitialTexts() {
    const struct {
        uint32_t value;
        int degreesId;
    } corners[] = {
        {job_.topLeftLatitude, IDC_TOP_LEFT_LAT_DEGREES},
        {job_.topLeftLongitude, IDC_TOP_LEFT_LON_DEGREES},
        {job_.bottomRightLatitude, IDC_BOTTOM_RIGHT_LAT_DEGREES},
        {job_.bottomRightLongitude, IDC_BOTTOM_RIGHT_LON_DEGREES},
    };
    for (const auto& corner : corners) {
        const AngleParts parts = angleParts(corner.value);
        setFieldNumber(corner.degreesId, parts.degrees);
        setFieldNumber(corner.degreesId + 1, parts.minutes);
        setFieldNumber(corner.degreesId + 2, parts.seconds);
    }
    setFieldNumber(IDC_EAST_WEST_DISTANCE, distanceMetres(job_.eastWestDistance));
    setFieldNumber(IDC_NORTH_SOUTH_DISTANCE, distanceMetres(job_.northSouthDistance));
}

void ConverterDialog::enableGatedControls(BOOL enable) {
    for (const GatedControl& control : kGatedControls) ::EnableWindow(GetDlgItem(control.id), enable);
}

bool ConverterDialog::OnCommand(UINT id, UINT notification) {
    if (notification != BN_CLICKED) return false;
    switch (id) {
    case IDC_BMP_FILE:
        onBitmapFile();
        return true;
    case IDC_CONVERT:
        onConvert();
        return true;
    case IDC_ABOUT:
        showAboutBox();
        return true;
    default:
        return false;
    }
}

// WM_DESTROY needs nothing beyond the default handling: nothing is released or saved.
bool ConverterDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_SYSCOMMAND:
        return onSystemCommand(wParam);
    case WM_PAINT:
        return onPaint();
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(icon_);
        return true;
    default:
        return CDialog::OnMessage(message, wParam, lParam, result);
    }
}

void ConverterDialog::onBitmapFile() {
    CFileDialog fileDialog(".bmp", kBitmapDialogFlags, kBitmapFilter);
    if (fileDialog.DoModal() != IDOK) return;

    char path[kBitmapPathSize];
    ::lstrcpynA(path, fileDialog.GetPathName().c_str(), sizeof path);
    // A refused file, or one that no longer opens, leaves the displays and controls as
    // they were.
    if (chooseBitmap(path, job_, *this) != BitmapChoice::Accepted) return;
    showBitmapPath();
    SetDlgItemTextA(IDC_WIDTH_DISPLAY, std::to_string(job_.bitmapWidth).c_str());
    SetDlgItemTextA(IDC_HEIGHT_DISPLAY, std::to_string(job_.bitmapHeight).c_str());
    enableGatedControls(TRUE);
}

// The accepted bitmap's full path, scrolled so that its end, the file name, is in view
// when the path is longer than the display.
void ConverterDialog::showBitmapPath() {
    SetDlgItemTextA(IDC_PATH_DISPLAY, job_.bitmapPath);
    const WPARAM end = static_cast<WPARAM>(::lstrlenA(job_.bitmapPath));
    SendDlgItemMessageA(IDC_PATH_DISPLAY, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendDlgItemMessageA(IDC_PATH_DISPLAY, EM_SCROLLCARET);
}

// Each field is read into a buffer one byte longer than its limit, and cut there.
std::string ConverterDialog::fieldText(int id, int maxLength) const {
    static_assert(kMapNameMaxLength >= kFolderNameMaxLength && kMapNameMaxLength >= kDistanceMaxLength,
                  "the map name is the longest field");
    char buffer[kMapNameMaxLength + 1] = {};
    GetDlgItemTextA(id, buffer, maxLength + 1);
    buffer[maxLength] = '\0';
    return buffer;
}

SettingsText ConverterDialog::readSettingsTexts() const {
    auto angle = [this](int degreesId, int degreesMaxLength) {
        return AngleText{fieldText(degreesId, degreesMaxLength),
                         fieldText(degreesId + 1, kMinutesMaxLength),
                         fieldText(degreesId + 2, kSecondsMaxLength)};
    };
    SettingsText texts;
    texts.mapName = fieldText(IDC_MAP_NAME, kMapNameMaxLength);
    texts.folderName = fieldText(IDC_FOLDER_NAME, kFolderNameMaxLength);
    texts.topLeftLatitude = angle(IDC_TOP_LEFT_LAT_DEGREES, kLatitudeDegreesMaxLength);
    texts.topLeftLongitude = angle(IDC_TOP_LEFT_LON_DEGREES, kLongitudeDegreesMaxLength);
    texts.bottomRightLatitude = angle(IDC_BOTTOM_RIGHT_LAT_DEGREES, kLatitudeDegreesMaxLength);
    texts.bottomRightLongitude = angle(IDC_BOTTOM_RIGHT_LON_DEGREES, kLongitudeDegreesMaxLength);
    texts.eastWestDistance = fieldText(IDC_EAST_WEST_DISTANCE, kDistanceMaxLength);
    texts.northSouthDistance = fieldText(IDC_NORTH_SOUTH_DISTANCE, kDistanceMaxLength);
    return texts;
}

// The output goes to the current folder at CONVERT, where the file dialog left the user.
void ConverterDialog::onConvert() { runConversion(job_, readSettingsTexts(), *this); }

void ConverterDialog::OnOutOfMemory() {
    showMessage(messages::kNotEnoughMemory, messages::kWarningCaption, MessageIcon::Exclamation);
    showArrowCursor();
}

bool ConverterDialog::onSystemCommand(WPARAM command) {
    if ((command & 0xFFF0) != IDM_ABOUTBOX) return false;  // the system's own commands
    showAboutBox();
    return true;
}

bool ConverterDialog::onPaint() {
    if (!IsIconic()) return false;  // the dialog paints itself
    CPaintDC dc(this);
    SendMessageA(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    RECT client;
    GetClientRect(&client);
    const POINT at = centredIconPosition(client.right - client.left, client.bottom - client.top,
                                         ::GetSystemMetrics(SM_CXICON),
                                         ::GetSystemMetrics(SM_CYICON));
    ::DrawIcon(dc.m_hDC, at.x, at.y, icon_);
    return true;
}

void ConverterDialog::showMessage(const char* text, const char* caption, MessageIcon icon) {
    const UINT iconType = icon == MessageIcon::Exclamation ? MB_ICONEXCLAMATION : MB_ICONINFORMATION;
    MessageBoxA(text, caption, MB_OK | iconType);
}

void ConverterDialog::showWaitCursor() { ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)); }

void ConverterDialog::showArrowCursor() { ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW)); }
