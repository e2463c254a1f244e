#pragma once

#include "core/settings.h"
#include "core/settingssheetrules.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace skywell
{

class NumberEdit;

// What the sheet's pages may ask for besides the settings.
struct SettingsSheetServices {
    QStringList captureDevices;                           // the capture library's devices
    std::function<void(const QString &card)> testSources; // "Test Recording Sources"
    std::function<void()> setupCdBurner;                  // "Setup CD Burner"
    std::function<void()> startSoundMixer;                // the sound-mixer button
    std::function<void()> openFileNamesHelp;              // "What's This?"
};

// A page of the sheet: filled from the settings, read back into them, and
// checked before it may be left.
class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void fill(const Settings &settings) = 0;
    virtual void read(Settings &settings) const = 0;
    // The values kept beside Settings, for the pages that edit some.
    virtual void fillExtras(const SheetExtras &) {}
    virtual void readExtras(SheetExtras &) const {}
    // The message for the first wrong box (which then takes the focus).
    virtual std::optional<QString> problem() { return std::nullopt; }
    // Runs once, when the page is first shown.
    virtual void firstShown() {}
};

class FoldersPage final : public SettingsPage
{
    Q_OBJECT
public:
    explicit FoldersPage(QWidget *parent = nullptr);
    void fill(const Settings &settings) override;
    void read(Settings &settings) const override;
    std::optional<QString> problem() override;

private:
    QLineEdit *m_mp3Folder;
    QLineEdit *m_tempFolder;
};

class TuningPage final : public SettingsPage
{
    Q_OBJECT
public:
    explicit TuningPage(QWidget *parent = nullptr);
    void fill(const Settings &settings) override;
    void read(Settings &settings) const override;
    void fillExtras(const SheetExtras &extras) override;
    void readExtras(SheetExtras &extras) const override;
    std::optional<QString> problem() override;

private:
    NumberEdit *m_connectLead;
    NumberEdit *m_retune;
    QRadioButton *m_tuner;
    QRadioButton *m_browser;
    QLineEdit *m_playerCommand;
};

class ConnectionsPage final : public SettingsPage
{
    Q_OBJECT
public:
    explicit ConnectionsPage(QWidget *parent = nullptr);
    void fill(const Settings &settings) override;
    void read(Settings &settings) const override;
    void fillExtras(const SheetExtras &extras) override;
    void readExtras(SheetExtras &extras) const override;
    std::optional<QString> problem() override;

private:
    void enableProxyBoxes();
    void enableDialupBoxes();

    QWidget *m_dialupBox;
    QCheckBox *m_dialup;
    QLineEdit *m_dialCommand;
    QLineEdit *m_hangUpCommand;
    QCheckBox *m_proxy;
    QLineEdit *m_proxyAddress;
    QLineEdit *m_proxyPort;
};

class SoundMixerPage final : public SettingsPage
{
    Q_OBJECT
public:
    SoundMixerPage(const SettingsSheetServices &services, QWidget *parent = nullptr);
    void fill(const Settings &settings) override;
    void read(Settings &settings) const override;
    void firstShown() override;

private:
    const SettingsSheetServices &m_services;
    QString m_soundCard;
    QComboBox *m_devices;
    QCheckBox *m_optimize;
};

class OtherPage final : public SettingsPage
{
    Q_OBJECT
public:
    OtherPage(const SettingsSheetServices &services, QWidget *parent = nullptr);
    void fill(const Settings &settings) override;
    void read(Settings &settings) const override;
    void fillExtras(const SheetExtras &extras) override;
    void readExtras(SheetExtras &extras) const override;
    std::optional<QString> problem() override;

private:
    QLineEdit *m_format;
    QCheckBox *m_startOnBoot;
    QLineEdit *m_libraryHost;
    QLineEdit *m_libraryPort;
    QLineEdit *m_libraryPassword;
    QLineEdit *m_libraryFolder;
    QLineEdit *m_librarySubfolder;
    QLineEdit *m_catalogueAddress;
    QLineEdit *m_directoryAddress;
};

} // namespace skywell
