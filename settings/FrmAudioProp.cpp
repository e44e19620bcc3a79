// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/FrmAudioProp.h"

#include "components/cAudioConverter.h"
#include "foundation/mdlCommDialog.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlSupportedDestination.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "settings/FrmOptions.h"
#include "settings/OutputFormatOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/StoredForms.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTabControl.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

namespace {

const QString kAdvanced = QStringLiteral("Advanced...");
const QString kSimple = QStringLiteral("Simple...");

struct Page {
    const char* key;
    const char* title;
    const char* description;
};

const Page kPages[] = {
    {"WAV", "WAV -", "Waveform audio format"},
    {"ACM", "WAV(ACM) -", "Waveform audio format with ACM codec"},
    {"MP3", "MP3 -", "MPEG-1 Audio Layer 3"},
    {"WMA", "WMA -", "Windows Media Audio"},
    {"OGG", "OGG -", "Ogg Media format"},
    {"APE", "APE -", "Monkey\u2019s Audio file format"},
};

void setBack(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setPicture(QWidget* w, const QString& file)
{
    const QPixmap pic(file);
    if (pic.isNull())
        return;
    QPalette p = w->palette();
    p.setBrush(QPalette::Window, pic);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QLabel* label(QWidget* page, const QString& text, int left, int top)
{
    auto* l = new QLabel(text, page);
    MoveTw(l, left, top);
    l->adjustSize();
    return l;
}

QComboBox* list(QWidget* page, const char* name, int left, int top, int width, const QStringList& entries = {})
{
    auto* c = new QComboBox(page);
    c->setObjectName(QString::fromLatin1(name));
    PlaceTw(c, left, top, width, 315);
    c->addItems(entries);
    c->setCurrentIndex(-1);
    return c;
}

QCheckBox* check(QWidget* page, const char* name, const QString& caption, int left, int top, int width = 1600)
{
    auto* c = new QCheckBox(caption, page);
    c->setObjectName(QString::fromLatin1(name));
    PlaceTw(c, left, top, width, 255);
    return c;
}

void selectText(QComboBox* c, const QString& text)
{
    const int i = c->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0)
        c->setCurrentIndex(i);
}

}  // namespace

FrmAudioProp::FrmAudioProp()
{
    setObjectName(QStringLiteral("g_frmAudioProp"));
    buildControls();
    Form_Load();
}

FrmAudioProp::~FrmAudioProp() = default;

QList<QWidget*> FrmAudioProp::panels() const { return {froToWAV, froToACM, froToMP3, froToWMA, froToOGG, froToAPE}; }

void FrmAudioProp::buildControls()
{
    setWindowTitle(QStringLiteral("Audio Format"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    setFont(font);
    setFixedSize(TwipsToPixels(7800), TwipsToPixels(5730));

    picTitle = new QWidget(this);
    picTitle->setObjectName(QStringLiteral("picTitle"));
    PlaceTw(picTitle, 240, 120, 7335, 375);
    lblTitle = new QLabel(picTitle);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = font;
    bold.setBold(true);
    lblTitle->setFont(bold);
    MoveTw(lblTitle, 240, 80);
    lblFormatDesc = new QLabel(picTitle);
    lblFormatDesc->setObjectName(QStringLiteral("lblFormatDesc"));

    cTabControl1 = new cTabControl(this);
    cTabControl1->setObjectName(QStringLiteral("cTabControl1"));
    PlaceTw(cTabControl1, 240, 720, 7335, 4215);

    const auto panel = [this](const char* name) {
        auto* p = new QWidget(this);
        p->setObjectName(QString::fromLatin1(name));
        QFont f(QStringLiteral("MS Sans Serif"));
        f.setPointSizeF(8.25);
        p->setFont(f);
        return p;
    };
    froToWAV = panel("froToWAV");
    froToACM = panel("froToACM");
    froToMP3 = panel("froToMP3");
    froToWMA = panel("froToWMA");
    froToOGG = panel("froToOGG");
    froToAPE = panel("froToAPE");

    // WAV
    label(froToWAV, QStringLiteral("Samples:"), 480, 480);
    cboSamplesWAV = list(froToWAV, "cboSamplesWAV", 480, 720, 6015, WavSampleEntries());
    label(froToWAV, QStringLiteral("Bitrate:"), 480, 1320);
    cboBitrateWAV = list(froToWAV, "cboBitrateWAV", 480, 1560, 6015);
    label(froToWAV, QStringLiteral("Channels:"), 480, 2160);
    cboChannelsWAV = list(froToWAV, "cboChannelsWAV", 480, 2400, 6015, WavChannelEntries());

    // ACM
    chkBestAccordToSource = check(froToACM, "chkBestAccordToSource",
                                  QStringLiteral("Get recommended codecs according to source file format."), 480, 360,
                                  6135);
    label(froToACM, QStringLiteral("Target ACM Tag:"), 480, 1080);
    cboTags = list(froToACM, "cboTags", 480, 1320, 6135);
    label(froToACM, QStringLiteral("Target ACM Format:"), 480, 2040);
    cboFormats = list(froToACM, "cboFormats", 480, 2280, 6135);

    // MP3
    label(froToMP3, QStringLiteral("Bitrate:"), 480, 480);
    cboMP3Bitrate = list(froToMP3, "cboMP3Bitrate", 480, 720, 1455, Mp3BitrateEntries());
    label(froToMP3, QStringLiteral("Quality:"), 2040, 480);
    cboMP3Quality = list(froToMP3, "cboMP3Quality", 2040, 720, 855, Mp3QualityEntries());
    label(froToMP3, QStringLiteral("Samplerate:"), 3000, 480);
    cboMP3Samplerate = list(froToMP3, "cboMP3Samplerate", 3000, 720, 1095, Mp3SamplerateEntries());
    label(froToMP3, QStringLiteral("Mode:"), 4200, 480);
    cboMP3Mode = list(froToMP3, "cboMP3Mode", 4200, 720, 2535, Mp3ModeEntries());
    lblMP3Advanced = new LinkLabel(kAdvanced, froToMP3, true);
    lblMP3Advanced->setObjectName(QStringLiteral("lblMP3Advanced"));
    lblMP3Advanced->setToolTip(QStringLiteral("MP3 properties mode."));
    PlaceTw(lblMP3Advanced, 480, 1200, 1500, 240);
    picMP3Advanced = new QWidget(froToMP3);
    picMP3Advanced->setObjectName(QStringLiteral("picMP3Advanced"));
    PlaceTw(picMP3Advanced, 240, 1440, 6615, 2295);
    QWidget* a = picMP3Advanced;
    chkMP3ErrorProtect = check(a, "chkMP3ErrorProtect", QStringLiteral("Error Protection"), 240, 120);
    chkMP3Original = check(a, "chkMP3Original", QStringLiteral("Original"), 1920, 120, 1000);
    chkMP3Copyright = check(a, "chkMP3Copyright", QStringLiteral("Copyright"), 3000, 120, 1100);
    chkMP3StrictISO = check(a, "chkMP3StrictISO", QStringLiteral("ISO Encoding"), 4200, 120, 1600);
    label(a, QStringLiteral("VBR Quality:"), 240, 840);
    cboMP3VBRQuality = list(a, "cboMP3VBRQuality", 240, 1080, 1095, Mp3QualityEntries());
    label(a, QStringLiteral("Min VBR Bitrate:"), 1440, 840);
    cboMP3MinBitrate = list(a, "cboMP3MinBitrate", 1440, 1080, 1455, Mp3BitrateEntries());
    label(a, QStringLiteral("Max VBR Bitrate:"), 3000, 840);
    cboMP3MaxBitrate = list(a, "cboMP3MaxBitrate", 3000, 1080, 1455, Mp3BitrateEntries());
    chkMP3VBRTag = check(a, "chkMP3VBRTag", QStringLiteral("Write VBR Tag"), 4680, 1080, 1800);
    chkMP3VBRForceMinBitrate = check(a, "chkMP3VBRForceMinBitrate", QStringLiteral("VBR Force Min Bitrate"), 4680,
                                     1320, 1935);
    chkMP3ABR = check(a, "chkMP3ABR", QStringLiteral("ABR (Instead of VBR)"), 240, 1440, 2400);
    cboMP3ABRBitrate = list(a, "cboMP3ABRBitrate", 240, 1800, 1455, Mp3BitrateEntries());

    // WMA
    label(froToWMA, QStringLiteral("Codec:"), 480, 480);
    cboWMACodecs = list(froToWMA, "cboWMACodecs", 480, 720, 6045);
    label(froToWMA, QStringLiteral("Format:"), 480, 1440);
    cboWMAFormat = list(froToWMA, "cboWMAFormat", 480, 1680, 6045);

    // OGG
    ptnQualityOGG = new QRadioButton(QStringLiteral("Quality:"), froToOGG);
    ptnQualityOGG->setObjectName(QStringLiteral("ptnQualityOGG"));
    PlaceTw(ptnQualityOGG, 480, 480, 1000, 255);
    lblSensitivityVal = label(froToOGG, QString(), 1560, 480);
    lblSensitivityVal->setObjectName(QStringLiteral("lblSensitivityVal"));
    lblSensitivityVal->setMinimumWidth(TwipsToPixels(600));
    sldOGG = new QSlider(Qt::Horizontal, froToOGG);
    sldOGG->setObjectName(QStringLiteral("sldOGG"));
    sldOGG->setRange(0, 100);
    PlaceTw(sldOGG, 480, 720, 6015, 495);
    optOggBit = new QRadioButton(QStringLiteral("Bitrate:"), froToOGG);
    optOggBit->setObjectName(QStringLiteral("optOggBit"));
    PlaceTw(optOggBit, 480, 1560, 1000, 255);
    cboOggBitNom = list(froToOGG, "cboOggBitNom", 480, 1800, 1455, OggBitrateEntries());

    // APE
    label(froToAPE, QStringLiteral("APE Level:"), 480, 480);
    cboAPELevel = list(froToAPE, "cboAPELevel", 480, 720, 6015, ApeLevelEntries());

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setFont(bold);
    cmdOK->setDefault(true);
    PlaceTw(cmdOK, 480, 5160, 1695, 375);
    cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    PlaceTw(cmdExit, 2400, 5160, 1695, 375);

    cAudioConverter1 = CreateAudioConverter();
    connect(cAudioConverter1.get(), &cAudioConverter::TagFound, this,
            [this](const QString& name) { cboTags->addItem(name); });
    connect(cAudioConverter1.get(), &cAudioConverter::FormatFound, this,
            [this](const QString& name) { cboFormats->addItem(name); });

    connect(cTabControl1, &cTabControl::TabClick, this, &FrmAudioProp::cTabControl1_TabClick);
    connect(cmdOK, &QPushButton::clicked, this, &FrmAudioProp::cmdOK_Click);
    connect(cmdExit, &QPushButton::clicked, this, &FrmAudioProp::cmdExit_Click);
    connect(cboTags, &QComboBox::currentIndexChanged, this, &FrmAudioProp::cboTags_Click);
    connect(cboWMACodecs, &QComboBox::currentIndexChanged, this, &FrmAudioProp::cboWMACodecs_Click);
    connect(chkBestAccordToSource, &QCheckBox::clicked, this, &FrmAudioProp::chkBestAccordToSource_Click);
    connect(lblMP3Advanced, &LinkLabel::Click, this, &FrmAudioProp::lblMP3Advanced_Click);
    connect(sldOGG, &QSlider::valueChanged, this, &FrmAudioProp::sldOGG_Change);
}

void FrmAudioProp::Form_Load()
{
    bool ok = false;
    const long back = g_sAppBackColor.toLong(&ok);
    if (ok) {
        const QColor c = ColorSwatch::ToQColor(static_cast<int32_t>(back));
        setBack(this, c);
        for (QWidget* p : panels())
            setBack(p, c);
        setBack(picMP3Advanced, c);
        // Check boxes and options draw no background of their own: they show the panel's colour.
    }
    const QString pictures = platform::programFolder() + QStringLiteral("/View/");
    if (!g_sAppBackPicture.isEmpty()) {
        setPicture(this, pictures + g_sAppBackPicture);
        for (QWidget* p : panels())
            setPicture(p, pictures + g_sAppBackPicture);
        setPicture(picMP3Advanced, pictures + g_sAppBackPicture);
    }
    if (!g_sAppTitlePicture.isEmpty())
        setPicture(picTitle, pictures + g_sAppTitlePicture);
    setBack(picTitle, ColorSwatch::ToQColor(ProgramOptions.picColor));
    for (QLabel* l : {lblTitle, lblFormatDesc}) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, ColorSwatch::ToQColor(ProgramOptions.picTextColor));
        l->setPalette(p);
    }

    const long flags[] = {g_lDestWAV, g_lDestACM, g_lDestMP3, g_lDestWMA, g_lDestOGG, g_lDestAPE};
    for (int i = 0; i < 6; ++i)
        if (flags[i] == 1)
            cTabControl1->AddTab(QString::fromLatin1(kPages[i].key), QString::fromLatin1(kPages[i].key));

    for (QWidget* p : panels())
        PlaceTw(p, cTabControl1->ClientLeft() - 50, cTabControl1->ClientTop(), cTabControl1->ClientWidth() + 50,
                cTabControl1->ClientHeight());
    for (QWidget* p : panels())
        p->setVisible(false);
    froToWAV->setVisible(true);
    fitMp3AdvancedColumn();

    cboBitrateWAV->addItems({QStringLiteral("8"), QStringLiteral("16")});
    selectText(cboBitrateWAV, QStringLiteral("16"));
    selectText(cboSamplesWAV, QStringLiteral("44100"));
    cboChannelsWAV->setCurrentIndex(1);

    {
        const QSignalBlocker block(cboWMACodecs);
        const long count = cAudioConverter1->WmaCodecCount();
        for (long i = 0; i < count; ++i)
            cboWMACodecs->addItem(cAudioConverter1->WmaCodecName(i));
        cboWMACodecs->setCurrentIndex(-1);
    }
    if (cboWMACodecs->count() > 0)
        cboWMACodecs->setCurrentIndex(0);

    cboAPELevel->setCurrentIndex(0);
    cboOggBitNom->setCurrentIndex(0);
    sldOGG->setValue(50);

    selectText(cboMP3Bitrate, QStringLiteral("128"));
    cboMP3Mode->setCurrentIndex(0);
    selectText(cboMP3Samplerate, QStringLiteral("44100"));
    cboMP3Quality->setCurrentIndex(5);
    chkMP3Copyright->setChecked(true);
    chkMP3Original->setChecked(true);
    chkMP3VBRTag->setChecked(true);
    cboMP3VBRQuality->setCurrentIndex(5);
    selectText(cboMP3MaxBitrate, QStringLiteral("128"));
    selectText(cboMP3MinBitrate, QStringLiteral("96"));
    selectText(cboMP3ABRBitrate, QStringLiteral("96"));

    listAcmTags(44100, 2, 16, 0);
    if (cboTags->count() > 0)
        selectText(cboTags, QStringLiteral("PCM"));

    m_cReg.hkey(platform::HKEY_LOCAL_MACHINE);
    m_cReg.KeyRoot(SettingsKeyRoot());
    GetOptions();
    sldOGG_Change();
}

void FrmAudioProp::listAcmTags(long sampleRate, long channels, long bits, long flags)
{
    const QSignalBlocker block(cboTags);
    cboTags->clear();
    cAudioConverter1->EnumAcmTags(1, sampleRate, channels, bits, flags);
    cboTags->setCurrentIndex(-1);
}

void FrmAudioProp::GetOptions()
{
    OutputFormatOptionsData& o = OutputFormatOptions;
    for (const FormatSetting& s : FormatSettings()) {
        m_cReg.Subkey(QString::fromLatin1(s.section));
        const QString name = QString::fromLatin1(s.name);
        const QVariant value = m_cReg.GetRegistryValue(name);
        QWidget* control = findChild<QWidget*>(name);
        if (!control)
            continue;
        auto* combo = qobject_cast<QComboBox*>(control);
        auto* box = qobject_cast<QCheckBox*>(control);
        auto* option = qobject_cast<QRadioButton*>(control);
        auto* slider = qobject_cast<QSlider*>(control);
        switch (s.form) {
        case StoredForm::ListText: stored::ApplyListText(combo, value); break;
        case StoredForm::ListIndex: stored::ApplyListIndex(combo, value, true, false); break;
        case StoredForm::Check: stored::ApplyCheck(box, value, true); break;
        case StoredForm::Option: stored::ApplyOption(option, value); break;
        case StoredForm::Slider: stored::ApplySlider(slider, value); break;
        case StoredForm::Caption: applyAdvancedCaption(value.toString()); break;
        }

        int32_t number = 0;
        QString text;
        switch (s.member) {
        case MemberFrom::EntryNumber: number = EntryNumber(combo->currentText()); break;
        case MemberFrom::EntryText: text = combo->currentText(); break;
        case MemberFrom::Position: number = combo->currentIndex(); break;
        case MemberFrom::Flag:
            number = box ? (stored::CheckValue(box) == 1 ? -1 : 0) : (option->isChecked() ? -1 : 0);
            break;
        case MemberFrom::SliderValue: number = slider->value(); break;
        case MemberFrom::None: break;
        }
        if (auto p32 = std::get_if<int32_t OutputFormatOptionsData::*>(&s.field))
            o.**p32 = number;
        else if (auto p16 = std::get_if<int16_t OutputFormatOptionsData::*>(&s.field))
            o.**p16 = static_cast<int16_t>(number);
        else if (auto ps = std::get_if<QString OutputFormatOptionsData::*>(&s.field))
            o.**ps = text;
    }
    m_shown.clear();
    for (const auto& [key, text] : valuesToStore())
        m_shown.insert(key, text);
}

void FrmAudioProp::applyAdvancedCaption(const QString& caption)
{
    lblMP3Advanced->setText(caption.isEmpty() ? kAdvanced : caption);
    picMP3Advanced->setVisible(lblMP3Advanced->text() != kAdvanced);
}

QList<QPair<QString, QString>> FrmAudioProp::valuesToStore() const
{
    QList<QPair<QString, QString>> out;
    for (const FormatSetting& s : FormatSettings()) {
        const QString name = QString::fromLatin1(s.name);
        QWidget* control = findChild<QWidget*>(name);
        if (!control)
            continue;
        QString text;
        switch (s.form) {
        case StoredForm::ListText: {
            auto* combo = qobject_cast<QComboBox*>(control);
            // An empty codec list (nothing listed for a source) must not wipe the stored codec.
            if (combo->currentIndex() < 0)
                continue;
            text = combo->currentText();
            break;
        }
        case StoredForm::ListIndex: text = QString::number(qobject_cast<QComboBox*>(control)->currentIndex()); break;
        case StoredForm::Check: text = stored::CheckText(qobject_cast<QCheckBox*>(control)); break;
        case StoredForm::Option: text = stored::OptionText(qobject_cast<QRadioButton*>(control)); break;
        case StoredForm::Slider: text = QString::number(qobject_cast<QSlider*>(control)->value()); break;
        case StoredForm::Caption: text = qobject_cast<QLabel*>(control)->text(); break;
        }
        out.append({QString::fromLatin1(s.section) + QLatin1Char('\\') + name, text});
    }
    return out;
}

void FrmAudioProp::cmdOK_Click()
{
    // Tab n (from 1) and entry n - 1 of the options window's list name the same format.
    frmOptions->cboTargetFormat->setCurrentIndex(cTabControl1->SelectedIndex() - 1);

    QStringList failed;
    QStringList reasons;
    // Another instance of the program may have stored settings since this window read them:
    // only what was changed here is written, so its changes to other settings stay. A value
    // the store does not hold yet is written as shown.
    for (const auto& [key, text] : valuesToStore()) {
        const QString section = key.section(QLatin1Char('\\'), 0, -2);
        const QString name = key.section(QLatin1Char('\\'), -1);
        m_cReg.Subkey(section);
        const auto shown = m_shown.constFind(key);
        if (shown != m_shown.cend() && *shown == text && m_cReg.GetRegistryValue(name).isValid())
            continue;
        if (m_cReg.SetRegistryValue(name, text, platform::REG_SZ))
            continue;
        if (!failed.contains(section))
            failed.append(section);
        if (!reasons.contains(m_cReg.LastWriteError()))
            reasons.append(m_cReg.LastWriteError());
    }
    if (!failed.isEmpty()) {
        // Re-reading would throw the unsaved choices away without a word: say so and keep them.
        platform::MsgBox(QStringLiteral("The audio format settings could not be saved (section: ") +
                             failed.join(QStringLiteral(", ")) +
                             QStringLiteral(").\r\n\r\nThe settings store is missing or cannot be written: ") +
                             reasons.join(QStringLiteral("; ")) +
                             QStringLiteral(".\r\n\r\nYour changes are still in this window."),
                         platform::vbExclamation, {}, this);
        return;
    }
    GetOptions();
    close();
}

void FrmAudioProp::cmdExit_Click() { close(); }

void FrmAudioProp::closeEvent(QCloseEvent* event)
{
    if (!g_bMainUnloading) {
        event->ignore();
        hide();
        return;
    }
    if (cAudioConverter1)
        cAudioConverter1->Release();
    event->accept();
    if (g_frmAudioProp.loaded() == this)
        g_frmAudioProp.unload();
}

void FrmAudioProp::reject() { close(); }

void FrmAudioProp::cTabControl1_TabClick(int)
{
    for (QWidget* p : panels())
        p->setVisible(false);
    const QString key = cTabControl1->SelectedKey();
    const QList<QWidget*> all = panels();
    for (int i = 0; i < 6; ++i) {
        if (key == QLatin1String(kPages[i].key)) {
            all.at(i)->setVisible(true);
            lblTitle->setText(QString::fromUtf8(kPages[i].title));
            lblFormatDesc->setText(QString::fromUtf8(kPages[i].description));
            break;
        }
    }
    lblTitle->adjustSize();
    lblFormatDesc->adjustSize();
    MoveTw(lblFormatDesc, LeftTw(lblTitle) + WidthTw(lblTitle) + 80, TopTw(lblTitle));
}

void FrmAudioProp::OpenOnFormat(const QString& targetFormatText)
{
    const QString key = targetFormatText.left(3);
    cTabControl1->SelectTab(key);
    cTabControl1_TabClick(cTabControl1->TabIndex(key));
}

void FrmAudioProp::cboTags_Click()
{
    cboFormats->clear();
    if (cboTags->currentIndex() < 0)
        return;
    cAudioConverter1->EnumAcmFormats(cboTags->currentText());
    if (cboFormats->count() > 0)
        cboFormats->setCurrentIndex(0);
}

void FrmAudioProp::cboWMACodecs_Click()
{
    cboWMAFormat->clear();
    const int codec = cboWMACodecs->currentIndex();
    if (codec < 0)
        return;
    const long count = cAudioConverter1->WmaFormatCount(codec);
    for (long i = 0; i < count; ++i)
        cboWMAFormat->addItem(cAudioConverter1->WmaFormatName(codec, i));
    if (cboWMAFormat->count() > 0)
        cboWMAFormat->setCurrentIndex(0);
}

void FrmAudioProp::restoreAcmLists(const QString& tag, const QString& format)
{
    {
        const QSignalBlocker block(chkBestAccordToSource);
        chkBestAccordToSource->setChecked(false);
    }
    listAcmTags(44100, 2, 16, 0);
    selectText(cboTags, tag);
    if (cboTags->currentIndex() < 0 && cboTags->count() > 0)
        cboTags->setCurrentIndex(0);
    selectText(cboFormats, format);
}

void FrmAudioProp::chkBestAccordToSource_Click()
{
    const QString tagBefore = cboTags->currentText();
    const QString formatBefore = cboFormats->currentText();
    {
        const QSignalBlocker block(cboTags);
        cboTags->clear();
    }
    cboFormats->clear();

    if (!chkBestAccordToSource->isChecked()) {
        listAcmTags(44100, 2, 16, 0);
    } else {
        g_FileDialog.lpstrFilter = QStringLiteral("MP3 Audio Files (*.mp3)") + QChar(0) + QStringLiteral("*.mp3") + QChar(0);
        g_FileDialog.lpstrTitle = QStringLiteral("Open MP3 audio file");
        const FileDialogResult r = ShowOpen(this, true);
        const QString file = r.fileNames.isEmpty() ? QString() : r.fileNames.at(0);
        // Without a source there is nothing to recommend: put the full lists back rather than
        // leave both empty for OK to store.
        if (r.cancelled || file.isEmpty()) {
            restoreAcmLists(tagBefore, formatBefore);
            return;
        }
        if (cAudioConverter1->OpenSource(file) != 0) {
            restoreAcmLists(tagBefore, formatBefore);
            return;
        }
        const long rate = cAudioConverter1->SourceSampleRate();
        const long channels = cAudioConverter1->SourceChannels();
        const long bits = cAudioConverter1->SourceBits();
        cAudioConverter1->CloseSource();
        listAcmTags(rate, channels, bits, 0x100000);
        if (cboTags->count() == 0) {
            restoreAcmLists(tagBefore, formatBefore);
            return;
        }
    }
    if (cboTags->count() > 0)
        cboTags->setCurrentIndex(0);
    if (cboFormats->count() > 0)
        cboFormats->setCurrentIndex(0);
}

void FrmAudioProp::fitMp3AdvancedColumn()
{
    // The advanced view was laid out for a narrower face than the desktop's: its boxes take the
    // width their captions need, the view grows into the room its page leaves, and a box of the
    // right-hand column that still does not fit moves left, never over the list beside it.
    const int room = froToMP3->width() - picMP3Advanced->x() - TwipsToPixels(60);
    if (room > picMP3Advanced->width())
        picMP3Advanced->resize(room, picMP3Advanced->height());
    // The top row: each box as wide as its caption, the next one pushed right when needed.
    int next = 0;
    for (QCheckBox* c : {chkMP3ErrorProtect, chkMP3Original, chkMP3Copyright, chkMP3StrictISO}) {
        const int left = std::max(c->x(), next);
        const int width = std::max(c->width(), c->sizeHint().width());
        c->setGeometry(left, c->y(), width, c->height());
        next = left + width + TwipsToPixels(60);
    }
    const int leftmost = cboMP3MaxBitrate->geometry().right() + 1 + TwipsToPixels(90);
    for (QCheckBox* c : {chkMP3VBRTag, chkMP3VBRForceMinBitrate}) {
        const int width = std::max(c->width(), c->sizeHint().width());
        const int left = std::max(leftmost, std::min(c->x(), picMP3Advanced->width() - width));
        c->setGeometry(left, c->y(), std::min(width, picMP3Advanced->width() - left), c->height());
    }
}

void FrmAudioProp::lblMP3Advanced_Click()
{
    if (lblMP3Advanced->text() == kAdvanced) {
        picMP3Advanced->setVisible(true);
        lblMP3Advanced->setText(kSimple);
    } else if (lblMP3Advanced->text() == kSimple) {
        picMP3Advanced->setVisible(false);
        lblMP3Advanced->setText(kAdvanced);
    }
}

void FrmAudioProp::sldOGG_Change() { lblSensitivityVal->setText(QString::number(sldOGG->value())); }
