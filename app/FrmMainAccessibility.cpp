// Screen readers and tooltips: the drawn widgets get accessible interfaces, and the lamp and the
// progress bar tell their state as tooltips (the status panel does the same for its displays).
#include "app/FrmMain.h"

#include "app/ComLed.h"
#include "app/SegmentProgressBar.h"
#include "app/WindowAccessible.h"
#include "i18n/ProgramTexts.h"

void TFrmMain::InstallAccessibility()
{
    InstallAccessibleFactory();
    const auto lampTip = [this] { ComLed1->setToolTip(TranslateText("lamp_tip").arg(ComLedValueText(*ComLed1))); };
    const auto progressTip = [this] { rgbBar->setToolTip(TranslateText("progress_tip").arg(rgbBar->Text())); };
    connect(ComLed1, &TComLed::LitChanged, this, lampTip);
    connect(rgbBar, &TSegmentProgressBar::TextChanged, this, progressTip);
    // Start-up has loaded the language by now.
    lampTip();
    progressTip();
}
