#pragma once
// The main dialog, template 102: the user chooses a bitmap, types the map's settings and
// starts the conversion. It owns the one ConversionJob and is the UserFeedback through
// which the conversion shows its messages and the busy cursor.

#include <string>

#include "ConversionJob.h"
#include "Settings.h"
#include "UserFeedback.h"
#include "framework/Dialog.h"

class ConverterDialog : public CDialog, public UserFeedback {
public:
    ConverterDialog();
    ~ConverterDialog() override = default;

    void showMessage(const char* text, const char* caption, MessageIcon icon) override;
    void showWaitCursor() override;
    void showArrowCursor() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT notification) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnOutOfMemory() override;

private:
    void addAboutItemToSystemMenu();
    void showInitialTexts();
    void showBitmapPath();
    void enableGatedControls(BOOL enable);
    void onBitmapFile();
    void onConvert();
    bool onSystemCommand(WPARAM command);
    bool onPaint();
    SettingsText readSettingsTexts() const;
    std::string fieldText(int id, int maxLength) const;
    void setFieldNumber(int id, uint32_t value);

    ConversionJob job_;
    HICON icon_;
};
