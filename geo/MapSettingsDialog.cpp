#include "geo/MapSettingsDialog.h"

#include "core/Dialogs.h"
#include "core/Numbers.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* MakeEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(360);
    return edit;
}

} // namespace

TMapSettingsDialog::TMapSettingsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgMapSettings"));
    setWindowTitle(TranslateText("map_settings_caption"));
    setWindowModality(Qt::WindowModal);
    auto* root = new QVBoxLayout(this);
    auto* form = new QFormLayout;

    cboMapProvider = new QComboBox(this);
    cboMapProvider->setObjectName(QStringLiteral("cboMapProvider"));
    // Item data: the provider's word in the settings file.
    cboMapProvider->addItem(TranslateText("map_provider_osm"), MapProviders::Name(TMapProvider::Osm));
    cboMapProvider->addItem(TranslateText("map_provider_google"), MapProviders::Name(TMapProvider::Google));
    cboMapProvider->addItem(TranslateText("map_provider_tiles"), MapProviders::Name(TMapProvider::Tiles));
    edtGoogleKey = MakeEdit("edtGoogleKey", this);
    edtTileUrl = MakeEdit("edtTileUrl", this);
    edtTileUrl->setPlaceholderText(QStringLiteral("https://tiles.example.com/{z}/{x}/{y}.png"));
    edtTileAttribution = MakeEdit("edtTileAttribution", this);
    form->addRow(TranslateText("map_provider_label"), cboMapProvider);
    form->addRow(TranslateText("map_google_key_label"), edtGoogleKey);
    form->addRow(TranslateText("map_tile_url_label"), edtTileUrl);
    form->addRow(TranslateText("map_tile_attribution_label"), edtTileAttribution);
    root->addLayout(form);
    auto* note = new QLabel(TranslateText("map_settings_note"), this);
    note->setWordWrap(true);
    root->addWidget(note);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnMapSettingsOk = new QPushButton(TranslateText("map_settings_ok"), this);
    btnMapSettingsOk->setObjectName(QStringLiteral("btnMapSettingsOk"));
    btnMapSettingsOk->setDefault(true);
    btnMapSettingsCancel = new QPushButton(TranslateText("map_settings_cancel"), this);
    btnMapSettingsCancel->setObjectName(QStringLiteral("btnMapSettingsCancel"));
    buttons->addWidget(btnMapSettingsOk);
    buttons->addWidget(btnMapSettingsCancel);
    root->addLayout(buttons);

    connect(btnMapSettingsOk, &QPushButton::clicked, this, &TMapSettingsDialog::accept);
    connect(btnMapSettingsCancel, &QPushButton::clicked, this, &TMapSettingsDialog::reject);
    connect(cboMapProvider, &QComboBox::currentIndexChanged, this, &TMapSettingsDialog::UpdateFields);
    UpdateFields();
}

void TMapSettingsDialog::SetSettings(const TMapSettings& s)
{
    cboMapProvider->setCurrentIndex(std::max(0, cboMapProvider->findData(MapProviders::Name(s.Provider))));
    edtGoogleKey->setText(s.GoogleKey);
    edtTileUrl->setText(s.TileUrl);
    edtTileAttribution->setText(s.TileAttribution);
    UpdateFields();
}

TMapSettings TMapSettingsDialog::Settings() const
{
    TMapSettings s;
    MapProviders::FromName(cboMapProvider->currentData().toString(), s.Provider);
    s.GoogleKey = TrimText(edtGoogleKey->text());
    s.TileUrl = TrimText(edtTileUrl->text());
    s.TileAttribution = TrimText(edtTileAttribution->text());
    return s;
}

void TMapSettingsDialog::UpdateFields()
{
    TMapProvider p = TMapProvider::Osm;
    MapProviders::FromName(cboMapProvider->currentData().toString(), p);
    edtGoogleKey->setEnabled(p == TMapProvider::Google);
    edtTileUrl->setEnabled(p == TMapProvider::Tiles);
    edtTileAttribution->setEnabled(p == TMapProvider::Tiles);
}

QString TMapSettingsDialog::Refusal() const
{
    const TMapSettings s = Settings();
    if (s.Provider == TMapProvider::Google && s.GoogleKey.isEmpty())
        return TranslateText("map_google_needs_key");
    if (s.Provider == TMapProvider::Tiles && !MapProviders::IsUsableTileUrl(s.TileUrl))
        return TranslateText("map_tile_url_bad").arg(s.TileUrl);
    return QString();
}

void TMapSettingsDialog::accept()
{
    const QString refusal = Refusal();
    if (!refusal.isEmpty()) {
        Dialogs::ShowMessage(windowTitle(), refusal, TMsgIcon::Warning);
        return;
    }
    if (FAcceptCheck && !FAcceptCheck(Settings()))
        return;
    QDialog::accept();
}
