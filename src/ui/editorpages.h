#pragma once

#include "shows/showeditorvalues.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTimeEdit;

namespace skywell
{

class NumberEdit;
struct ShowEditorContext;

// A page of the Show editor: filled from the page values, read back into
// them, and checked before it may be left.
class EditorPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void fill(const ShowEditorValues &values) = 0;
    virtual void read(ShowEditorValues &values) const = 0;
    // The message and its caption for a wrong box, or nothing.
    struct Problem {
        QString text;
        QString caption;
    };
    virtual std::optional<Problem> problem() { return std::nullopt; }
    virtual void firstShown() {}
};

class SummaryPage final : public EditorPage
{
    Q_OBJECT
public:
    SummaryPage(const ShowEditorContext &context, QWidget *parent = nullptr);
    void fill(const ShowEditorValues &values) override;
    void read(ShowEditorValues &values) const override;
    std::optional<Problem> problem() override;
    void firstShown() override;
    void setSummary(QString summary);

private:
    const ShowEditorContext &m_context;
    QLineEdit *m_name;
    QLabel *m_status;
    QLabel *m_summary;
};

class ShowTuningPage final : public EditorPage
{
    Q_OBJECT
public:
    explicit ShowTuningPage(QWidget *parent = nullptr);
    void fill(const ShowEditorValues &values) override;
    void read(ShowEditorValues &values) const override;

private:
    QComboBox *m_tuneWith;
    QLineEdit *m_url;
};

class SchedulePage final : public EditorPage
{
    Q_OBJECT
public:
    explicit SchedulePage(QWidget *parent = nullptr);
    void fill(const ShowEditorValues &values) override;
    void read(ShowEditorValues &values) const override;
    void firstShown() override;

private:
    void enableForKind();

    QTimeEdit *m_start;
    QTimeEdit *m_end;
    QDateEdit *m_once;
    QButtonGroup *m_kind;
    QList<QCheckBox *> m_days;
    std::int64_t m_startValue = 0;
    std::int64_t m_endValue = 0;
};

class OutputPage final : public EditorPage
{
    Q_OBJECT
public:
    OutputPage(const ShowEditorContext &context, QWidget *parent = nullptr);
    void fill(const ShowEditorValues &values) override;
    void read(ShowEditorValues &values) const override;
    void firstShown() override;
    // Keeping the broadcast as sent needs the "Internet Stream" source;
    // with another one MP3 FM takes its place.
    void setStreamSource(bool stream);

private:
    const ShowEditorContext &m_context;
    QButtonGroup *m_kind;
    QCheckBox *m_library;
    QCheckBox *m_compress;
};

class RecordingPage final : public EditorPage
{
    Q_OBJECT
public:
    RecordingPage(const ShowEditorContext &context, QWidget *parent = nullptr);
    void fill(const ShowEditorValues &values) override;
    void read(ShowEditorValues &values) const override;
    std::optional<Problem> problem() override;
    void firstShown() override;

Q_SIGNALS:
    // The source chosen is (or is not) "Internet Stream".
    void streamSourceChosen(bool stream);

private:
    const ShowEditorContext &m_context;
    QString m_source;
    QComboBox *m_sources;
    QCheckBox *m_mute;
    QCheckBox *m_noRetune;
    QCheckBox *m_titleSplit;
    QCheckBox *m_deadAir;
    NumberEdit *m_deadAirSeconds;
    QCheckBox *m_newTrack;
    NumberEdit *m_newTrackMs;
    QCheckBox *m_splitEvery;
    NumberEdit *m_splitMinutes;
    QList<NumberEdit *> m_splitAt;
    std::array<int, 8> m_splitAtValues{};
};

inline const QString kOutputKindTexts[9] = {QStringLiteral("MP3 - CD Quality (56 MB per hour)"),
                                            QStringLiteral("MP3 - FM Radio Quality (28 MB per hour)"),
                                            QStringLiteral("MP3 - AM Radio Quality (7 MB per hour)"),
                                            QStringLiteral("WAV file"),
                                            QStringLiteral("Write to Audio CD "),
                                            QStringLiteral("Write to MP3 CD "),
                                            QStringLiteral("Custom (via custom.sh)"),
                                            QStringLiteral("Don't record"),
                                            QStringLiteral("As broadcast (no re-encoding)")};

} // namespace skywell
