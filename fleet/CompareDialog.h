#pragma once

#include "fleet/FleetTargets.h"
#include "params/TrackerSettings.h"

#include <QDialog>
#include <memory>

class QAbstractButton;
class QPushButton;
class QTableWidget;

// The dynamic property in which a control keeps the English text of its caption. Captions are
// put on the controls at start-up; Compare names its rows in the language loaded now.
inline constexpr const char* CaptionSourceProperty = "captionSource";

// Compare before writing: every setting that Read All reads is read from the tracker into a
// settings model of its own, without touching the pages, and shown beside the value on the
// pages (taken into the window's model); rows that differ are marked. Shows a box instead when
// the tracker does not answer.
void CompareWithTracker(const TFleetTargets& targets, QAbstractButton* writeAllButton);

// The comparison table. From it the technician writes the pages to the tracker (Write All) or
// takes the tracker's values into the window's model and onto the pages.
class TCompareDialog : public QDialog {
    Q_OBJECT
public:
    TCompareDialog(const TFleetTargets& targets, std::unique_ptr<TTrackerSettings> tracker,
                   QAbstractButton* writeAllButton);
    ~TCompareDialog() override;

    // The colour of a row that differs.
    static QColor DifferingRowColor();

    void btnCompareWriteAllClick();
    void btnCompareTakeClick();

    QTableWidget* tblCompare;
    QPushButton* btnCompareWriteAll;
    QPushButton* btnCompareTake;
    QPushButton* btnCompareClose;

private:
    void FillTable();
    // A value as the pages show it: a choice by its caption, a number as a plain integer.
    QString ShownText(const QString& key, const QString& value) const;

    TFleetTargets T;
    std::unique_ptr<TTrackerSettings> FTracker;
    QAbstractButton* FWriteAll;
};
