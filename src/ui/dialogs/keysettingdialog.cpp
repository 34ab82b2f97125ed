#include "ui/dialogs/keysettingdialog.h"

#include "catalog/modelcatalog.h"
#include "common/buttonchange.h"
#include "common/texttable.h"
#include "ui/keys/functionnames.h"
#include "ui/keys/keymap.h"
#include "ui/widgets/keycaptureedit.h"
#include "ui/widgets/mypushbutton.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDebug>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
constexpr int kTextDisableEvent = 149;
constexpr int kTextDefaultEvent = 150;
constexpr int kTextTitle = 444;          // "Assign button: %1"
constexpr int kTextPages = 445;          // 445..448: the four pages
constexpr int kTextKeyHint = 449;
constexpr int kTextDisable = 450;
constexpr int kTextRestore = 451;
constexpr int kTextOk = 452;
constexpr int kTextClose = 453;
constexpr int kTextCurrent = 454;        // "Current: %1"
constexpr int kTextAdvanced = 455;       // 455..458: sound, program, file, folder
constexpr int kTextBrowse = 459;
constexpr int kTextMacroGroups = 460;
constexpr int kTextMacros = 461;
constexpr int kTextMacroLimit = 462;     // "Check up to %1 macros ..."
constexpr int kTextKey = 463;

constexpr int kWarningMacroRefused = 43;
// A macro of this type cannot go on the buttons that refuse it (see macroRefused()).
constexpr int kRestrictedMacroType = 4;
constexpr int kButtonFourEntryRemoved = 20;

const QString kCategory = QStringLiteral("KeySetting");

enum Page { KeyPage, MacroPage, BasicPage, AdvancedPage };
constexpr int kPathRole = Qt::UserRole;
constexpr int kTypeRole = Qt::UserRole + 1;
constexpr int kEntryRole = Qt::UserRole;
} // namespace

KeySettingDialog::KeySettingDialog(DeviceSession *session, int button, int changeType, int trueValue,
                                   int modifyKey, QWidget *parent)
    : QDialog(parent), m_session(session), m_button(button)
{
    setObjectName(QStringLiteral("KeySettingDialog"));
    setModal(true);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_mouseType = session->state().modelCode();
    const Catalog::Model *model = Catalog::find(m_mouseType);
    if (button == 4 && model)
        m_macroLimit = model->buttonFourListLimit;

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(16, 12, 16, 16);
    root->setSpacing(12);

    auto *head = new QHBoxLayout;
    auto *title = new QLabel(TextTable::text(kTextTitle).arg(MyPushButton::buttonName(button)), this);
    title->setObjectName(QStringLiteral("TitleLabel"));
    title->setProperty("role", QStringLiteral("title"));
    auto *close = new QPushButton(QStringLiteral("\u2715"), this);
    close->setObjectName(QStringLiteral("CloseBattaryButton"));
    close->setAccessibleName(TextTable::text(kTextClose));
    close->setToolTip(TextTable::text(kTextClose));
    head->addWidget(title, 1);
    head->addWidget(close);
    root->addLayout(head);

    auto *body = new QHBoxLayout;
    body->setSpacing(16);
    auto *tabs = new QVBoxLayout;
    tabs->setSpacing(8);
    const char *names[] = {"ConbinationKeyButton", "MarcoEditButton", "BasicFunctionButton", "HighestFunctionButton"};
    auto *tabGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto *b = new QPushButton(TextTable::text(kTextPages + i), this);
        b->setObjectName(QLatin1String(names[i]));
        b->setCheckable(true);
        b->setMinimumWidth(148);
        tabGroup->addButton(b, i);
        tabs->addWidget(b);
        m_pageButtons << b;
    }
    tabs->addStretch(1);
    body->addLayout(tabs);
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("stackedWidget"));
    for (int i = 0; i < 4; ++i)
        m_pages->addWidget(new QWidget(m_pages));
    buildKeyPage(m_pages->widget(KeyPage));
    buildMacroPage(m_pages->widget(MacroPage));
    buildBasicPage(m_pages->widget(BasicPage));
    buildAdvancedPage(m_pages->widget(AdvancedPage));
    body->addWidget(m_pages, 1);
    root->addLayout(body, 1);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_status->setProperty("role", QStringLiteral("secondary"));
    root->addWidget(m_status);

    auto *foot = new QHBoxLayout;
    m_disable = new QCheckBox(TextTable::text(kTextDisable), this);
    m_disable->setObjectName(QStringLiteral("DisableKeyCheckBox"));
    auto *restore = new QPushButton(TextTable::text(kTextRestore), this);
    restore->setObjectName(QStringLiteral("BackToDefalutButton"));
    auto *ok = new QPushButton(TextTable::text(kTextOk), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setProperty("role", QStringLiteral("primary"));
    ok->setDefault(true);
    ok->setMinimumWidth(96);
    foot->addWidget(m_disable);
    foot->addStretch(1);
    foot->addWidget(restore);
    foot->addWidget(ok);
    root->addLayout(foot);

    connect(close, &QPushButton::clicked, this, &KeySettingDialog::on_CloseBattaryButton_clicked);
    connect(ok, &QPushButton::clicked, this, &KeySettingDialog::on_OKButton_clicked);
    connect(restore, &QPushButton::clicked, this, &KeySettingDialog::on_BackToDefalutButton_clicked);
    connect(m_pageButtons[0], &QPushButton::clicked, this, &KeySettingDialog::on_ConbinationKeyButton_clicked);
    connect(m_pageButtons[1], &QPushButton::clicked, this, &KeySettingDialog::on_MarcoEditButton_clicked);
    connect(m_pageButtons[2], &QPushButton::clicked, this, &KeySettingDialog::on_BasicFunctionButton_clicked);
    connect(m_pageButtons[3], &QPushButton::clicked, this, &KeySettingDialog::on_HighestFunctionButton_clicked);

    // Keyboard order: page buttons, the page, disable, restore, OK, close.
    setTabOrder(m_pageButtons[3], m_keyEdit);
    setTabOrder(m_disable, restore);
    setTabOrder(restore, ok);
    setTabOrder(ok, close);

    // The mouse went away: nothing left to assign.
    connect(session->stateObject(), &DeviceState::changed, this, [this] {
        if (!m_session->state().isOpen() && isVisible())
            reject();
    });

    loadMacroTitleListWidget();
    fillBasicList();
    showTrueValue(changeType, trueValue, modifyKey);
    setPage(KeyPage);
    resize(640, 440);
}

// ---- building ------------------------------------------------------------------------------

void KeySettingDialog::buildKeyPage(QWidget *page)
{
    auto *box = new QVBoxLayout(page);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(12);
    auto *hint = new QLabel(TextTable::text(kTextKeyHint), page);
    hint->setWordWrap(true);
    hint->setProperty("role", QStringLiteral("secondary"));
    box->addWidget(hint);
    auto *keyLabel = new QLabel(TextTable::text(kTextKey), page);
    box->addWidget(keyLabel);
    m_keyEdit = new KeyCaptureEdit(page);
    m_keyEdit->setObjectName(QStringLiteral("KeyLineEdit"));
    m_keyEdit->setAccessibleName(TextTable::text(kTextKey));
    keyLabel->setBuddy(m_keyEdit);
    box->addWidget(m_keyEdit);
    auto *mods = new QHBoxLayout;
    mods->setSpacing(16);
    const auto makeBox = [&](const char *name, int code) {
        auto *c = new QCheckBox(KeyMap::modifierName(code), page);
        c->setObjectName(QLatin1String(name));
        mods->addWidget(c);
        return c;
    };
    m_ctrl = makeBox("CtrlCheckBox", KeyMap::Ctrl);
    m_shift = makeBox("ShiftCheckBox", KeyMap::Shift);
    m_alt = makeBox("AltCheckBox", KeyMap::Alt);
    m_win = makeBox("WinCheckBox", KeyMap::Win);
    mods->addStretch(1);
    box->addLayout(mods);
    box->addStretch(1);
    connect(m_keyEdit, &KeyCaptureEdit::keyCaptured, this, &KeySettingDialog::keyCaptured);
}

void KeySettingDialog::buildMacroPage(QWidget *page)
{
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    auto *groups = new QLabel(TextTable::text(kTextMacroGroups), page);
    auto *macros = new QLabel(TextTable::text(kTextMacros), page);
    m_titles = new QListWidget(page);
    m_titles->setObjectName(QStringLiteral("MacroTitleListWidget"));
    m_titles->setAccessibleName(groups->text());
    m_macros = new QListWidget(page);
    m_macros->setObjectName(QStringLiteral("MacroNameListWidget"));
    m_macros->setAccessibleName(macros->text());
    groups->setBuddy(m_titles);
    macros->setBuddy(m_macros);
    grid->addWidget(groups, 0, 0);
    grid->addWidget(macros, 0, 1);
    grid->addWidget(m_titles, 1, 0);
    grid->addWidget(m_macros, 1, 1);
    m_macroHint = new QLabel(TextTable::text(kTextMacroLimit).arg(m_macroLimit), page);
    m_macroHint->setWordWrap(true);
    m_macroHint->setProperty("role", QStringLiteral("secondary"));
    m_macroHint->setVisible(m_button == 4);
    grid->addWidget(m_macroHint, 2, 0, 1, 2);
    connect(m_titles, &QListWidget::itemClicked, this, &KeySettingDialog::on_MacroTitleListWidget_itemClicked);
    connect(m_titles, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem *item) { if (item) on_MacroTitleListWidget_itemClicked(item); });
    connect(m_macros, &QListWidget::itemClicked, this, &KeySettingDialog::on_MacroNameListWidget_itemClicked);
    connect(m_macros, &QListWidget::currentRowChanged, this, &KeySettingDialog::slot_SetMacroListWidgetItemSelected);
    connect(m_macros, &QListWidget::itemChanged, this, &KeySettingDialog::macroItemChanged);
}

void KeySettingDialog::buildBasicPage(QWidget *page)
{
    auto *box = new QVBoxLayout(page);
    box->setContentsMargins(0, 0, 0, 0);
    m_basic = new QListWidget(page);
    m_basic->setObjectName(QStringLiteral("BasicFunctionListWidget"));
    m_basic->setAccessibleName(TextTable::text(kTextPages + BasicPage));
    box->addWidget(m_basic);
}

void KeySettingDialog::buildAdvancedPage(QWidget *page)
{
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(12);
    const char *boxes[] = {"PlayMusicCheckBox", "StartProgramCheckBox", "OpenFileCheckBox", "OpenDirectoryCheckBox"};
    const char *buttons[] = {"PlayMusicButton", "StartProgramButton", "OpenFileButton", "OpenDirectoryButton"};
    const char *edits[] = {"PlayMusicLineEdit", "StartProgramLineEdit", "OpenFileLineEdit", "OpenDirectoryLineEdit"};
    for (int i = 0; i < 4; ++i) {
        auto *check = new QCheckBox(TextTable::text(kTextAdvanced + i), page);
        check->setObjectName(QLatin1String(boxes[i]));
        auto *path = new QLineEdit(page);
        path->setObjectName(QLatin1String(edits[i]));
        path->setReadOnly(true);
        path->setAccessibleName(check->text());
        auto *browse = new QPushButton(TextTable::text(kTextBrowse), page);
        browse->setObjectName(QLatin1String(buttons[i]));
        browse->setAccessibleName(TextTable::text(kTextBrowse) + QLatin1Char(' ') + check->text());
        grid->addWidget(check, 2 * i, 0, 1, 2);
        grid->addWidget(path, 2 * i + 1, 0);
        grid->addWidget(browse, 2 * i + 1, 1);
        m_advancedBoxes << check;
        m_advancedPaths << path;
    }
    grid->setRowStretch(8, 1);
    connect(m_advancedBoxes[0], &QCheckBox::clicked, this, &KeySettingDialog::on_PlayMusicCheckBox_clicked);
    connect(m_advancedBoxes[1], &QCheckBox::clicked, this, &KeySettingDialog::on_StartProgramCheckBox_clicked);
    connect(m_advancedBoxes[2], &QCheckBox::clicked, this, &KeySettingDialog::on_OpenFileCheckBox_clicked);
    connect(m_advancedBoxes[3], &QCheckBox::clicked, this, &KeySettingDialog::on_OpenDirectoryCheckBox_clicked);
    connect(page->findChild<QPushButton *>(QStringLiteral("PlayMusicButton")), &QPushButton::clicked, this,
            &KeySettingDialog::on_PlayMusicButton_clicked);
    connect(page->findChild<QPushButton *>(QStringLiteral("StartProgramButton")), &QPushButton::clicked, this,
            &KeySettingDialog::on_StartProgramButton_clicked);
    connect(page->findChild<QPushButton *>(QStringLiteral("OpenFileButton")), &QPushButton::clicked, this,
            &KeySettingDialog::on_OpenFileButton_clicked);
    connect(page->findChild<QPushButton *>(QStringLiteral("OpenDirectoryButton")), &QPushButton::clicked, this,
            &KeySettingDialog::on_OpenDirectoryButton_clicked);
}

void KeySettingDialog::fillBasicList()
{
    m_basic->clear();
    for (const FunctionNames::BasicFunction &f : FunctionNames::basicFunctions()) {
        // The left button cannot switch macros: its list is what the switch-macro key selects.
        if (m_button == 4 && f.entry == kButtonFourEntryRemoved)
            continue;
        auto *item = new QListWidgetItem(f.name(), m_basic);
        item->setData(kEntryRole, f.entry);
    }
}

void KeySettingDialog::showTrueValue(int changeType, int trueValue, int modifyKey)
{
    qDebug() << "setTrueMouseValue changeType trueMouseValue " << changeType << trueValue;
    if (changeType == -1) {
        m_status->clear();
        m_status->hide();
        return;
    }
    const QString what = FunctionNames::assignmentText(changeType, trueValue, modifyKey);
    m_status->setText(what.isEmpty() ? QString() : TextTable::text(kTextCurrent).arg(what));
    m_status->show();
}

// ---- pages ---------------------------------------------------------------------------------

int KeySettingDialog::page() const
{
    return m_pages->currentIndex();
}

void KeySettingDialog::setPage(int page)
{
    if (page < 0 || page >= m_pages->count())
        return;
    m_pages->setCurrentIndex(page);
    m_pageButtons.at(page)->setChecked(true);
    if (page == KeyPage)
        m_keyEdit->setFocus();
}

void KeySettingDialog::on_ConbinationKeyButton_clicked() { setPage(KeyPage); }
void KeySettingDialog::on_MarcoEditButton_clicked() { setPage(MacroPage); }
void KeySettingDialog::on_BasicFunctionButton_clicked() { setPage(BasicPage); }
void KeySettingDialog::on_HighestFunctionButton_clicked() { setPage(AdvancedPage); }

// ---- key page ------------------------------------------------------------------------------

void KeySettingDialog::keyCaptured(int qtKey, int virtualKey, bool autoRepeat)
{
    Q_UNUSED(qtKey)
    if (autoRepeat || page() != KeyPage)
        return;
    switch (KeyMap::withoutSide(virtualKey)) {
    case 0x10: setCheckBoxCheckState(m_shift); return;
    case 0x11: setCheckBoxCheckState(m_ctrl); return;
    case 0x12: setCheckBoxCheckState(m_alt); return;
    case 0x5B:
    case 0x5C: setCheckBoxCheckState(m_win); return;
    default: break;
    }
    m_key = virtualKey;
    m_keyEdit->setText(KeyMap::keyName(virtualKey));
    // The key is taken: the keyboard goes on to the confirm button.
    if (virtualKey != 0)
        findChild<QPushButton *>(QStringLiteral("OKButton"))->setFocus();
}

void KeySettingDialog::setCheckBoxCheckState(QCheckBox *box)
{
    box->setChecked(!box->isChecked());
}

int KeySettingDialog::countModifyValue() const
{
    return (m_ctrl->isChecked() ? KeyMap::Ctrl : 0) | (m_shift->isChecked() ? KeyMap::Shift : 0)
        | (m_alt->isChecked() ? KeyMap::Alt : 0) | (m_win->isChecked() ? KeyMap::Win : 0);
}

// ---- macro page ----------------------------------------------------------------------------

void KeySettingDialog::loadMacroTitleListWidget()
{
    qDebug() << "loadMacroTitleListWidget";
    m_library = DeviceSession::macroLibrary();
    m_titles->clear();
    deleteListWidgetAllItem();
    for (const auto &group : qAsConst(m_library))
        addMacroTitleWidgetItem(group.first);
    if (m_titles->count() > 0)
        m_titles->setCurrentRow(0);
}

void KeySettingDialog::addMacroTitleWidgetItem(const QString &title)
{
    new QListWidgetItem(title, m_titles);
}

void KeySettingDialog::addMacroListWigetItem(const DeviceSession::MacroFile &file)
{
    auto *item = new QListWidgetItem(file.name, m_macros);
    item->setData(kPathRole, file.path);
    item->setData(kTypeRole, file.macroType);
    if (m_button == 4) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(m_checkedOrder.contains(file.path) ? Qt::Checked : Qt::Unchecked);
    }
}

void KeySettingDialog::deleteListWidgetAllItem()
{
    const QSignalBlocker block(m_macros);
    m_macros->clear();
}

void KeySettingDialog::on_MacroTitleListWidget_itemClicked(QListWidgetItem *item)
{
    if (!item || item->text() == m_currentTitle)
        return;
    m_currentTitle = item->text();
    deleteListWidgetAllItem();
    const QSignalBlocker block(m_macros);
    for (const auto &group : qAsConst(m_library))
        if (group.first == m_currentTitle)
            for (const DeviceSession::MacroFile &file : group.second)
                addMacroListWigetItem(file);
}

void KeySettingDialog::on_MacroNameListWidget_itemClicked(QListWidgetItem *item)
{
    if (item)
        slot_SetMacroListWidgetItemSelected(m_macros->row(item));
}

void KeySettingDialog::slot_SetMacroListWidgetItemSelected(int row)
{
    qDebug() << "MacroListWidgetSelected" << row;
    QListWidgetItem *item = m_macros->item(row);
    if (item && m_button != 4)
        m_selectedMacro = item->data(kPathRole).toString();
}

void KeySettingDialog::macroItemChanged(QListWidgetItem *item)
{
    if (m_button != 4 || !item)
        return;
    const QString path = item->data(kPathRole).toString();
    if (item->checkState() == Qt::Checked) {
        if (!m_checkedOrder.contains(path)) {
            m_checkedOrder << path;
            slot_CheckIsOutOfMacroCheckRange();
        }
    } else {
        m_checkedOrder.removeAll(path);
    }
}

int KeySettingDialog::countMacroCheckedNumber() const
{
    return m_checkedOrder.size();
}

void KeySettingDialog::slot_CheckIsOutOfMacroCheckRange()
{
    // The list holds at most the limit: one more check gives up the earliest.
    while (countMacroCheckedNumber() > m_macroLimit)
        removeFirstSelectedStaeInFormList();
}

void KeySettingDialog::removeFirstSelectedStaeInFormList()
{
    if (m_checkedOrder.isEmpty())
        return;
    const QString first = m_checkedOrder.takeFirst();
    const QSignalBlocker block(m_macros);
    for (int i = 0; i < m_macros->count(); ++i)
        if (m_macros->item(i)->data(kPathRole).toString() == first)
            m_macros->item(i)->setCheckState(Qt::Unchecked);
    Q_EMIT sig_SetFirstOneUnchecked();
}

QString KeySettingDialog::getMacroSinglePath() const
{
    return m_button == 4 ? m_checkedOrder.value(0) : m_selectedMacro;
}

QStringList KeySettingDialog::getMacroListPath() const
{
    return m_checkedOrder;
}

bool KeySettingDialog::macroRefused(const QString &path) const
{
    const Catalog::Model *model = Catalog::find(m_mouseType);
    const bool falcon = model && model->family == Catalog::Family::Falcon;
    const bool restricted = m_button == 11 || m_button == 12 || (falcon && (m_button == 13 || m_button == 14));
    if (!restricted)
        return false;
    for (const auto &group : m_library)
        for (const DeviceSession::MacroFile &file : group.second)
            if (file.path == path)
                return file.macroType == kRestrictedMacroType;
    return false;
}

// ---- basic and advanced pages --------------------------------------------------------------

void KeySettingDialog::setKeyToBasicFunction()
{
    const QListWidgetItem *item = m_basic->currentItem();
    if (!item)
        return;
    const int entry = item->data(kEntryRole).toInt();
    for (const FunctionNames::BasicFunction &f : FunctionNames::basicFunctions())
        if (f.entry == entry) {
            usageEvent(f.name());
            changeButton(f.value, f.modifier, f.changeType);
        }
}

int KeySettingDialog::advancedChoice() const
{
    for (int i = 0; i < m_advancedBoxes.size(); ++i)
        if (m_advancedBoxes.at(i)->isChecked() && !m_advancedPaths.at(i)->text().isEmpty())
            return i;
    return -1;
}

void KeySettingDialog::setKeyToHighestFunction()
{
    const int choice = advancedChoice();
    if (choice < 0)
        return;
    // The function runs on this computer; in the mouse the button keeps its own function.
    usageEvent(m_advancedBoxes.at(choice)->text());
    changeButton(uint(m_key), countModifyValue(), MouseButtonChangeToMacro);
}

void KeySettingDialog::setHighFunctionWidgetUnable(QCheckBox *chosen)
{
    for (QCheckBox *box : qAsConst(m_advancedBoxes))
        if (box != chosen && chosen->isChecked())
            box->setChecked(false);
}

void KeySettingDialog::on_PlayMusicCheckBox_clicked() { setHighFunctionWidgetUnable(m_advancedBoxes[0]); }
void KeySettingDialog::on_StartProgramCheckBox_clicked() { setHighFunctionWidgetUnable(m_advancedBoxes[1]); }
void KeySettingDialog::on_OpenFileCheckBox_clicked() { setHighFunctionWidgetUnable(m_advancedBoxes[2]); }
void KeySettingDialog::on_OpenDirectoryCheckBox_clicked() { setHighFunctionWidgetUnable(m_advancedBoxes[3]); }

void KeySettingDialog::on_PlayMusicButton_clicked()
{
    const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("Sound"), QStringLiteral("C:/Windows/Media"),
                                                   QStringLiteral("Image Files (*.wav)"));
    if (!f.isEmpty())
        m_advancedPaths[0]->setText(f);
}

void KeySettingDialog::on_StartProgramButton_clicked()
{
    const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("Open Program"),
                                                   QStringLiteral("C:/Program Files"), QStringLiteral("Program (*.exe)"));
    if (!f.isEmpty())
        m_advancedPaths[1]->setText(f);
}

void KeySettingDialog::on_OpenFileButton_clicked()
{
    const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("Open Program"), QStringLiteral("D:/"),
                                                   QStringLiteral("Files (*.*)"));
    if (!f.isEmpty())
        m_advancedPaths[2]->setText(f);
}

void KeySettingDialog::on_OpenDirectoryButton_clicked()
{
    const QString d = QFileDialog::getExistingDirectory(this, QStringLiteral("Open Directory"), QStringLiteral("/home"));
    if (!d.isEmpty())
        m_advancedPaths[3]->setText(d);
}

// ---- confirming ----------------------------------------------------------------------------

void KeySettingDialog::usageEvent(const QString &label)
{
    Q_EMIT sig_SendEventMessageToGA(kCategory, MyPushButton::buttonName(m_button), label, kCategory);
}

void KeySettingDialog::changeButton(uint value, int modifier, int changeType)
{
    m_session->setButton(m_button, value, modifier, changeType);
    Q_EMIT sig_ButtonChangeToKey(m_button, value, uint(modifier), changeType);
}

void KeySettingDialog::on_OKButton_clicked()
{
    if (m_disable->isChecked()) {
        changeButton(0, 0, MouseButtonChangeToForbidden);
        usageEvent(TextTable::text(kTextDisableEvent));
        accept();
        return;
    }
    switch (page()) {
    case KeyPage: {
        const int modifier = countModifyValue();
        if (m_key != 0 || modifier != 0) {
            changeButton(uint(m_key), modifier, MouseButtonChangeToKey);
            QString label = KeyMap::modifierName(modifier);
            if (modifier != 0)
                label += QLatin1Char('+');
            usageEvent(label + KeyMap::keyName(m_key));
        }
        break;
    }
    case MacroPage:
        if (m_button == 4) {
            const QStringList paths = getMacroListPath();
            if (paths.size() == 1) {
                m_session->writeMacro(4, paths.first());
                Q_EMIT sig_WriteSingleMacro(4, paths.first());
            } else if (paths.size() > 1) {
                qDebug() << "writeListMacro copyPathList" << paths;
                m_session->writeMacroList(paths);
                Q_EMIT sig_WriteListMacro(paths);
            }
        } else {
            const QString path = getMacroSinglePath();
            if (macroRefused(path)) {
                Q_EMIT sig_ShowWarningDialog(kWarningMacroRefused);
                return;
            }
            if (!path.isEmpty()) {
                m_session->writeMacro(m_button, path);
                Q_EMIT sig_WriteSingleMacro(m_button, path);
            }
        }
        break;
    case BasicPage: setKeyToBasicFunction(); break;
    case AdvancedPage: setKeyToHighestFunction(); break;
    default: break;
    }
    accept();
}

void KeySettingDialog::on_BackToDefalutButton_clicked()
{
    usageEvent(TextTable::text(kTextDefaultEvent));
    changeButton(uint(m_key), countModifyValue(), MouseButtonChangeToMacro);
    accept();
}

void KeySettingDialog::on_CloseBattaryButton_clicked()
{
    reject();
}
