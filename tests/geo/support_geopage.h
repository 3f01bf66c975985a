#pragma once

// What the geo-fence page tests put around the page: a map that records the calls it gets, a
// byte channel that keeps every frame written, and a window stand-in that applies command-8
// answers the way the dispatcher's common steps do.

#include "core/AppError.h"
#include "geo/FenceMap.h"
#include "geo/GeoFencePage.h"
#include "link/CmdQueue.h"
#include "link/FrameCodec.h"

#include <QStringList>
#include <cstdio>

// Records each call as a short text; "loaded" decides what CheckMapLoaded answers.
class TRecordingFenceMap : public IFenceMap {
public:
    bool Loaded = true;
    bool Active = false;
    QStringList Calls;

    bool CheckMapLoaded() override
    {
        if (!Loaded)
            Calls << QStringLiteral("not loaded");
        return Loaded;
    }
    bool FenceSettingActive() const override { return Active; }
    void EnterFenceSetting() override
    {
        Active = true;
        Calls << QStringLiteral("enter");
    }
    void LeaveFenceSetting() override
    {
        Active = false;
        Calls << QStringLiteral("leave");
    }
    void HideFencesOnMap() override { Calls << QStringLiteral("hide"); }
    void ShowFenceOnMap(const TFenceCorners& c, int lineWidth, uint32_t lineColor, uint32_t fillColor) override
    {
        Calls << QString::asprintf("show %.6f,%.6f,%.6f,%.6f,%d,%06X,%06X", c.LTLongitude, c.LTLatitude,
                                   c.RBLongitude, c.RBLatitude, lineWidth, unsigned(lineColor), unsigned(fillColor));
    }
};

class TRecordingChannel : public IByteChannel {
public:
    bool Open = true;
    QList<QByteArray> Written;
    bool IsOpen() const override { return Open; }
    void WriteFrame(const QByteArray& frame) override { Written << frame; }

    // The command texts sent, without their frames.
    QList<QByteArray> Texts() const
    {
        QList<QByteArray> texts;
        for (QByteArray frame : Written) {
            QByteArray payload;
            ExtractFrame(frame, payload);
            texts << payload;
        }
        return texts;
    }
};

// Stands in for the window around the page: answers go to the page, then the queue advances.
class TPageHost : public ICmdQueueHost {
public:
    TCmdQueue* Queue = nullptr;
    TGeoFencePage* Page = nullptr;
    bool ButtonsEnabled = true;
    int Total = 1;
    int Complete = 0;
    int Applied = 0;
    int Refused = 0;

    void SetCommandButtonsEnabled(bool enabled) override { ButtonsEnabled = enabled; }
    void SetProgressTotal(int total) override { Total = total; }
    void SetProgressComplete(int complete) override { Complete = complete; }
    void LogSeparator() override {}
    void LogSent(const QString&, const QByteArray&) override {}
    void LogReceived(const QString&, const QByteArray&) override {}
    QString Translate(const QString& text) override { return text; }
    void DispatchResponse(const QByteArray& payload) override
    {
        try {
            Page->ApplyFenceAnswer(ReadResponseHead(payload).Fields);
        } catch (const EAppError&) {
            ++Refused;
            throw;
        }
        ++Applied;
        Queue->AdvanceCmdQueue();
    }
};
