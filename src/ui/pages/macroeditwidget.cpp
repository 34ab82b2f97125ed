#include "ui/pages/macroeditwidget.h"

#include "common/pacer.h"
#include "common/texttable.h"
#include "ui/keys/keymap.h"
#include "ui/theme/theme.h"
#include "ui/widgets/card.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHash>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>

namespace {
constexpr int kTextGroup = 509;
constexpr int kTextEventList = 510;
constexpr int kTextEdit = 511;
constexpr int kTextLoopCount = 512;
constexpr int kTextPlayWhilePressed = 513;
constexpr int kTextPlayUntilPressed = 514;
constexpr int kTextIgnoreDelay = 515;
constexpr int kTextRecordMouse = 516;
constexpr int kTextEditKey = 517;
constexpr int kTextEditDelay = 518;
constexpr int kTextEditPosition = 519;
constexpr int kTextStartRecord = 520;
constexpr int kTextStopRecord = 521;
constexpr int kTextDefaultName = 522;
constexpr int kTextCreate = 523;
constexpr int kTextDelete = 524;
constexpr int kTextAddEvent = 525;
constexpr int kTextReduceEvent = 526;
constexpr int kTextEditEvent = 527;
constexpr int kTextConfirm = 528;
constexpr int kTextLeftButton = 529;
constexpr int kTextMidButton = 530;
constexpr int kTextRightButton = 531;
constexpr int kTextX = 532;
constexpr int kTextY = 533;
constexpr int kTextDelayHint = 534;
constexpr int kTextKeyHint = 535;

constexpr int kLeft = 1;
constexpr int kRight = 2;
constexpr int kMiddle = 4;

constexpr int kPlayLoop = 0;
constexpr int kPlayUntilPressedAgain = 2;
constexpr int kPlayWhileHeld = 4;
constexpr int kIgnoreDelaySet = 2;

constexpr int kMaxDelay = 9999;
constexpr int kMaxRepeat = 65533;
constexpr int kMaxMove = 127;

const QString kCategory = QStringLiteral("MacroEdit");
const QString kScreen = QStringLiteral("Macro");

const QString kIconPress = QStringLiteral(":/picture/picture/macro_icon_fall.png");
const QString kIconRelease = QStringLiteral(":/picture/picture/macro_icon_top.png");
const QString kIconTime = QStringLiteral(":/picture/picture/macro_icon_time.png");
const QString kIconPosition = QStringLiteral(":/picture/picture/macro_icon_top copy.png");

// Keys of a row's map.
const QString kType = QStringLiteral("0");
const QString kValue = QStringLiteral("1");
const QString kState = QStringLiteral("2");
const QString kText = QStringLiteral("3");
const QString kX = QStringLiteral("x");
const QString kY = QStringLiteral("y");

QPushButton *button(const char *name, int text, QWidget *parent)
{
    auto *b = new QPushButton(TextTable::text(text), parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QVariantMap rowMap(const QListWidgetItem *item)
{
    return item ? item->data(Qt::UserRole).toMap() : QVariantMap();
}

int rowType(const QListWidgetItem *item)
{
    const QVariantMap map = rowMap(item);
    return map.contains(kType) ? map.value(kType).toInt() : -1;
}
} // namespace

MacroEditWidget::MacroEditWidget(DeviceSession *session, QWidget *parent)
    : QWidget(parent), m_session(session)
{
    setObjectName(QStringLiteral("MacroEditWidget"));
    auto *root = new QHBoxLayout(this);
    root->setContentsMargins(16, 16, 16, 16);
    root->setSpacing(12);
    auto card = [this](const char *name) {
        auto *c = new QFrame(this);
        c->setObjectName(QLatin1String(name));
        c->setProperty("role", QStringLiteral("card"));
        return c;
    };
    QFrame *library = card("MacroLibraryCard");
    library->setFixedWidth(208);
    QFrame *events = card("MacroEventCard");
    QFrame *settings = card("MacroSettingsCard");
    settings->setFixedWidth(300);
    buildLibraryCard(library);
    buildEventCard(events);
    buildSettingsCard(settings);
    root->addWidget(library);
    root->addWidget(events, 1);
    root->addWidget(settings);

    setTabOrder(m_titleCombo, m_nameList);
    setTabOrder(m_nameList, m_createButton);
    setTabOrder(m_createButton, m_deleteButton);
    setTabOrder(m_deleteButton, m_eventList);
    setTabOrder(m_eventList, m_addEventButton);
    setTabOrder(m_addEventButton, m_editEventButton);
    setTabOrder(m_editEventButton, m_reduceEventButton);
    setTabOrder(m_reduceEventButton, m_recordButton);
    setTabOrder(m_recordButton, m_loopRadio);

    // The groups of the library; whichever is chosen, the editor's own folder is listed.
    m_loading = true;
    m_titleCombo->addItems(DeviceSession::macroGroups());
    const int own = m_titleCombo->findText(QFileInfo(DeviceSession::editorMacroFolder()).fileName());
    if (own >= 0)
        m_titleCombo->setCurrentIndex(own);
    m_loading = false;
    loadNameList(DeviceSession::editorMacroFolder());
    EditArrayEditable(false);
}

// ---- building ---------------------------------------------------------------------------------

void MacroEditWidget::buildLibraryCard(QFrame *card)
{
    auto *box = new QVBoxLayout(card);
    box->setContentsMargins(16, 12, 16, 16);
    box->setSpacing(8);
    box->addWidget(Card::title(TextTable::text(kTextGroup), card));
    m_titleCombo = new QComboBox(card);
    m_titleCombo->setObjectName(QStringLiteral("MacroTitleComboBox"));
    m_titleCombo->setEditable(false);
    m_titleCombo->setAccessibleName(TextTable::text(kTextGroup));
    box->addWidget(m_titleCombo);
    m_nameList = new QListWidget(card);
    m_nameList->setObjectName(QStringLiteral("MacroNameListWidget"));
    m_nameList->setAccessibleName(TextTable::text(kTextGroup));
    m_nameList->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    box->addWidget(m_nameList, 1);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    m_createButton = button("CreateButton", kTextCreate, card);
    m_deleteButton = button("DeleteButton", kTextDelete, card);
    m_deleteButton->setProperty("role", QStringLiteral("danger"));
    row->addWidget(m_createButton);
    row->addWidget(m_deleteButton);
    box->addLayout(row);

    connect(m_titleCombo, &QComboBox::currentTextChanged, this, &MacroEditWidget::on_MacroTitleComboBox_currentTextChanged);
    connect(m_nameList, &QListWidget::itemPressed, this, &MacroEditWidget::on_MacroNameListWidget_itemPressed);
    connect(m_nameList, &QListWidget::activated, this, &MacroEditWidget::on_MacroNameListWidget_activated);
    connect(m_nameList, &QListWidget::itemChanged, this, &MacroEditWidget::slot_MacroNameEditFinishedfunc);
    connect(m_createButton, &QPushButton::clicked, this, &MacroEditWidget::on_CreateButton_clicked);
    connect(m_deleteButton, &QPushButton::clicked, this, &MacroEditWidget::on_DeleteButton_clicked);
}

void MacroEditWidget::buildEventCard(QFrame *card)
{
    auto *box = new QVBoxLayout(card);
    box->setContentsMargins(16, 12, 16, 16);
    box->setSpacing(8);
    box->addWidget(Card::title(TextTable::text(kTextEventList), card));
    m_eventList = new QListWidget(card);
    m_eventList->setObjectName(QStringLiteral("EventListWidget"));
    m_eventList->setAccessibleName(TextTable::text(kTextEventList));
    m_eventList->setIconSize(QSize(20, 20));
    m_eventList->setUniformItemSizes(true); // every row is 198 x 28
    box->addWidget(m_eventList, 1);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    m_addEventButton = button("AddEventButton", kTextAddEvent, card);
    m_editEventButton = button("EditEventButton", kTextEditEvent, card);
    m_reduceEventButton = button("ReduceEventButton", kTextReduceEvent, card);
    row->addWidget(m_addEventButton);
    row->addWidget(m_editEventButton);
    row->addWidget(m_reduceEventButton);
    box->addLayout(row);
    m_recordButton = button("StartRecordButton", kTextStartRecord, card);
    m_recordButton->setProperty("role", QStringLiteral("primary"));
    box->addWidget(m_recordButton);

    connect(m_eventList, &QListWidget::currentRowChanged, this, &MacroEditWidget::on_EventListWidget_currentRowChanged);
    connect(m_addEventButton, &QPushButton::clicked, this, &MacroEditWidget::on_AddEventButton_clicked);
    connect(m_editEventButton, &QPushButton::clicked, this, &MacroEditWidget::on_EditEventButton_clicked);
    connect(m_reduceEventButton, &QPushButton::clicked, this, &MacroEditWidget::on_ReduceEventButton_clicked);
    connect(m_recordButton, &QPushButton::clicked, this, &MacroEditWidget::on_StartRecordButton_clicked);
}

void MacroEditWidget::buildSettingsCard(QFrame *card)
{
    auto *box = new QVBoxLayout(card);
    box->setContentsMargins(16, 12, 16, 12);
    box->setSpacing(4);

    m_playBox = new QWidget(card);
    m_playBox->setObjectName(QStringLiteral("PlayModeBox"));
    auto *play = new QGridLayout(m_playBox);
    play->setContentsMargins(0, 0, 0, 0);
    play->setHorizontalSpacing(8);
    play->setVerticalSpacing(2);
    m_loopRadio = new QRadioButton(TextTable::text(kTextLoopCount), m_playBox);
    m_loopRadio->setObjectName(QStringLiteral("LoopCount_RadioButton"));
    m_repeatSpin = new QSpinBox(m_playBox);
    m_repeatSpin->setObjectName(QStringLiteral("RepeatTimesSpinBox"));
    m_repeatSpin->setRange(1, kMaxRepeat);
    m_repeatSpin->setKeyboardTracking(false);
    m_repeatSpin->setAccessibleName(TextTable::text(kTextLoopCount));
    m_untilRadio = new QRadioButton(TextTable::text(kTextPlayUntilPressed), m_playBox);
    m_untilRadio->setObjectName(QStringLiteral("PlayUntilPressAgain_RadioButton"));
    m_whileRadio = new QRadioButton(TextTable::text(kTextPlayWhilePressed), m_playBox);
    m_whileRadio->setObjectName(QStringLiteral("PlayWhenItPressed_RadioButton"));
    m_ignoreDelay = new QCheckBox(TextTable::text(kTextIgnoreDelay), m_playBox);
    m_ignoreDelay->setObjectName(QStringLiteral("IgnoreEventWaiteTimeCheckBox"));
    auto *modes = new QButtonGroup(this);
    modes->addButton(m_loopRadio);
    modes->addButton(m_untilRadio);
    modes->addButton(m_whileRadio);
    m_loopRadio->setChecked(true);
    play->addWidget(m_loopRadio, 0, 0);
    play->addWidget(m_repeatSpin, 0, 1);
    play->addWidget(m_untilRadio, 1, 0, 1, 2);
    play->addWidget(m_whileRadio, 2, 0, 1, 2);
    play->addWidget(m_ignoreDelay, 3, 0, 1, 2);
    play->setColumnStretch(0, 1);
    box->addWidget(m_playBox);
    box->addSpacing(12);

    m_mouseBox = new QWidget(card);
    m_mouseBox->setObjectName(QStringLiteral("RecordMouseBox"));
    QSizePolicy keep = m_mouseBox->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_mouseBox->setSizePolicy(keep);
    auto *mouse = new QVBoxLayout(m_mouseBox);
    mouse->setContentsMargins(0, 0, 0, 0);
    mouse->setSpacing(4);
    mouse->addWidget(new QLabel(TextTable::text(kTextRecordMouse), m_mouseBox));
    auto *mouseRow = new QHBoxLayout;
    mouseRow->setSpacing(8);
    m_leftButton = button("LeftMouseButton", kTextLeftButton, m_mouseBox);
    m_midButton = button("MidMouseButton", kTextMidButton, m_mouseBox);
    m_rightButton = button("RightMouseButton", kTextRightButton, m_mouseBox);
    mouseRow->addWidget(m_leftButton);
    mouseRow->addWidget(m_midButton);
    mouseRow->addWidget(m_rightButton);
    mouse->addLayout(mouseRow);

    m_editPanel = new QFrame(card);
    m_editPanel->setObjectName(QStringLiteral("EditPanel"));
    auto *edit = new QGridLayout(m_editPanel);
    edit->setContentsMargins(0, 0, 0, 0);
    edit->setHorizontalSpacing(8);
    edit->setVerticalSpacing(2);
    edit->addWidget(Card::title(TextTable::text(kTextEdit), m_editPanel), 0, 0, 1, 4);
    m_keyRadio = new QRadioButton(TextTable::text(kTextEditKey), m_editPanel);
    m_keyRadio->setObjectName(QStringLiteral("ChangeOrInsertKeyRadioButton"));
    m_delayRadio = new QRadioButton(TextTable::text(kTextEditDelay), m_editPanel);
    m_delayRadio->setObjectName(QStringLiteral("ChangeOrInsertDelayTimeRadioButton"));
    m_positionRadio = new QRadioButton(TextTable::text(kTextEditPosition), m_editPanel);
    m_positionRadio->setObjectName(QStringLiteral("ChangeOrInsetAMousePositionRadioButton"));
    auto *ops = new QButtonGroup(this);
    ops->addButton(m_keyRadio);
    ops->addButton(m_delayRadio);
    ops->addButton(m_positionRadio);
    m_keyRadio->setChecked(true);
    edit->addWidget(m_keyRadio, 1, 0, 1, 4);
    edit->addWidget(m_delayRadio, 2, 0, 1, 4);
    edit->addWidget(m_positionRadio, 3, 0, 1, 4);
    m_lineEdit = new QLineEdit(m_editPanel);
    m_lineEdit->setObjectName(QStringLiteral("EditLineEdit"));
    m_lineEdit->setAccessibleName(TextTable::text(kTextEdit));
    m_delayValidator = new QIntValidator(0, kMaxDelay, this);
    edit->addWidget(m_lineEdit, 4, 0, 1, 4);
    m_xSpin = new QSpinBox(m_editPanel);
    m_xSpin->setObjectName(QStringLiteral("XSpinBox"));
    m_ySpin = new QSpinBox(m_editPanel);
    m_ySpin->setObjectName(QStringLiteral("YSpinBox"));
    for (QSpinBox *s : {m_xSpin, m_ySpin})
        s->setRange(-kMaxMove, kMaxMove);
    m_xSpin->setAccessibleName(TextTable::text(kTextX));
    m_ySpin->setAccessibleName(TextTable::text(kTextY));
    auto *xLabel = new QLabel(TextTable::text(kTextX), m_editPanel);
    auto *yLabel = new QLabel(TextTable::text(kTextY), m_editPanel);
    xLabel->setBuddy(m_xSpin);
    yLabel->setBuddy(m_ySpin);
    edit->addWidget(xLabel, 5, 0);
    edit->addWidget(m_xSpin, 5, 1);
    edit->addWidget(yLabel, 5, 2);
    edit->addWidget(m_ySpin, 5, 3);
    edit->setColumnStretch(1, 1);
    edit->setColumnStretch(3, 1);
    m_certainButton = button("AddCertainButton", kTextConfirm, m_editPanel);
    m_certainButton->setProperty("role", QStringLiteral("primary"));
    edit->addWidget(m_certainButton, 6, 0, 1, 4);
    box->addWidget(m_editPanel);
    // Below the panel, where showing and hiding them moves nothing else.
    box->addSpacing(12);
    box->addWidget(m_mouseBox);
    box->addStretch(1);

    connect(m_loopRadio, &QRadioButton::clicked, this, &MacroEditWidget::on_LoopCount_RadioButton_clicked);
    connect(m_untilRadio, &QRadioButton::clicked, this, &MacroEditWidget::on_PlayUntilPressAgain_RadioButton_clicked);
    connect(m_whileRadio, &QRadioButton::clicked, this, &MacroEditWidget::on_PlayWhenItPressed_RadioButton_clicked);
    connect(m_repeatSpin, QOverload<int>::of(&QSpinBox::valueChanged), this, &MacroEditWidget::on_RepeatTimesSpinBox_valueChanged);
    connect(m_ignoreDelay, &QCheckBox::clicked, this, &MacroEditWidget::on_IgnoreEventWaiteTimeCheckBox_clicked);
    connect(m_leftButton, &QPushButton::pressed, this, &MacroEditWidget::on_LeftMouseButton_pressed);
    connect(m_leftButton, &QPushButton::released, this, &MacroEditWidget::on_LeftMouseButton_released);
    connect(m_midButton, &QPushButton::pressed, this, &MacroEditWidget::on_MidMouseButton_pressed);
    connect(m_midButton, &QPushButton::released, this, &MacroEditWidget::on_MidMouseButton_released);
    connect(m_rightButton, &QPushButton::pressed, this, &MacroEditWidget::on_RightMouseButton_pressed);
    connect(m_rightButton, &QPushButton::released, this, &MacroEditWidget::on_RightMouseButton_released);
    connect(m_keyRadio, &QRadioButton::clicked, this, &MacroEditWidget::on_ChangeOrInsertKeyRadioButton_clicked);
    connect(m_delayRadio, &QRadioButton::clicked, this, &MacroEditWidget::on_ChangeOrInsertDelayTimeRadioButton_clicked);
    connect(m_positionRadio, &QRadioButton::clicked, this, &MacroEditWidget::on_ChangeOrInsetAMousePositionRadioButton_clicked);
    connect(m_certainButton, &QPushButton::clicked, this, &MacroEditWidget::on_AddCertainButton_clicked);
}

// ---- lengths and keys -------------------------------------------------------------------------

int MacroEditWidget::calculateMacroNodeLength(int time)
{
    return time < 128 ? 3 : 7;
}

int MacroEditWidget::calculateMacroListLength(const QList<MacroNode> &nodes)
{
    int length = 0;
    for (const MacroNode &n : nodes)
        length += calculateMacroNodeLength(n.timeLapse) + (n.valueType == PositionRow ? 4 : 0);
    return length;
}

bool MacroEditWidget::turnShortCutScanCodeToVirtualCode(quint32 scanCode, int &virtuanCode)
{
    // Only a key that came without its side (Windows reports Ctrl, Shift, Alt as 0x11, 0x10,
    // 0x12) is told apart by its scan code; the scan codes of other systems mean other keys.
    if (virtuanCode < 0x10 || virtuanCode > 0x12)
        return false;
    switch (scanCode) {
    case 0x1D: virtuanCode = 0xA2; return true;
    case 0x2A: virtuanCode = 0xA0; return true;
    case 0x36: virtuanCode = 0xA1; return true;
    case 0x38: virtuanCode = 0xA4; return true;
    case 0x11D: virtuanCode = 0xA3; return true;
    case 0x138: virtuanCode = 0xA5; return true;
    default: return false;
    }
}

QString MacroEditWidget::keyText(int code)
{
    switch (code) {
    case kLeft: return TextTable::text(kTextLeftButton);
    case kRight: return TextTable::text(kTextRightButton);
    case kMiddle: return TextTable::text(kTextMidButton);
    default: break;
    }
    const QString name = KeyMap::keyName(code);
    if (!name.isEmpty())
        return name;
    // The right-hand modifiers have no name of their own: the left one's, marked.
    if (code == 0xA1 || code == 0xA3 || code == 0xA5 || code == 0x5C) {
        const QString left = KeyMap::keyName(code == 0x5C ? 0x5B : code - 1);
        if (!left.isEmpty())
            return left + QStringLiteral(" (R)");
    }
    return QStringLiteral("0x") + QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

int MacroEditWidget::recordedKey(const QKeyEvent *event) const
{
    if (event->isAutoRepeat())
        return 0;
    int code = KeyMap::virtualKey(*event);
    turnShortCutScanCodeToVirtualCode(event->nativeScanCode(), code);
    if (code == 0 || code == 12)
        return 0;
    return code;
}

MacroNode MacroEditWidget::createKeyButtonNode(int keyCode, int state, int time) const
{
    MacroNode n;
    n.valueType = KeyRow;
    n.keyValue = keyCode;
    n.state = state;
    n.timeLapse = time;
    n.text = keyText(keyCode);
    return n;
}

// ---- the event list -----------------------------------------------------------------------------

QListWidgetItem *MacroEditWidget::newRow(const QString &iconPath, const QString &text, const QVariantMap &map, int row)
{
    // One icon per row kind, shared by every row of that kind.
    static QHash<QString, QIcon> icons;
    auto icon = icons.find(iconPath);
    if (icon == icons.end())
        icon = icons.insert(iconPath, QIcon(iconPath));
    auto *item = new QListWidgetItem(icon.value(), text);
    item->setData(Qt::UserRole, map);
    item->setSizeHint(QSize(198, 28));
    if (row < 0 || row > m_eventList->count())
        m_eventList->addItem(item);
    else
        m_eventList->insertItem(row, item);
    return item;
}

void MacroEditWidget::addEventListTimeItem(int time, int row)
{
    newRow(kIconTime, QStringLiteral("%1ms").arg(time), {{kType, DelayRow}, {kValue, time}}, row);
}

void MacroEditWidget::addEventListTextItem(const MacroNode &node, int row)
{
    const QString text = node.text.isEmpty() ? keyText(node.keyValue) : node.text;
    newRow(node.state == 0 ? kIconPress : kIconRelease, text,
           {{kType, KeyRow}, {kValue, node.keyValue}, {kState, node.state}, {kText, text}}, row);
}

void MacroEditWidget::addEventListPositionItem(const MacroNode &node, int row)
{
    newRow(kIconPosition, QStringLiteral("(%1,%2)").arg(node.coordinateX).arg(node.coordinateY),
           {{kType, PositionRow}, {kX, node.coordinateX}, {kY, node.coordinateY}}, row);
}

QList<QVariantMap> MacroEditWidget::eventRows() const
{
    QList<QVariantMap> rows;
    for (int i = 0; i < m_eventList->count(); ++i)
        rows << rowMap(m_eventList->item(i));
    return rows;
}

QList<MacroNode> MacroEditWidget::eventNodes() const
{
    QList<MacroNode> nodes;
    for (int i = 0; i < m_eventList->count(); ++i) {
        const QVariantMap map = rowMap(m_eventList->item(i));
        MacroNode n;
        const int type = map.value(kType).toInt();
        if (type == KeyRow) {
            n.valueType = KeyRow;
            n.keyValue = map.value(kValue).toInt();
            n.state = map.value(kState).toInt();
            n.text = map.value(kText).toString();
        } else if (type == PositionRow) {
            n.valueType = PositionRow;
            n.coordinateX = map.value(kX).toInt();
            n.coordinateY = map.value(kY).toInt();
        } else {
            continue;
        }
        if (i + 1 < m_eventList->count() && rowType(m_eventList->item(i + 1)) == DelayRow)
            n.timeLapse = rowMap(m_eventList->item(i + 1)).value(kValue).toInt();
        nodes << n;
    }
    return nodes;
}

void MacroEditWidget::loadEventList(const QString &path)
{
    showEvents(DeviceSession::readMacro(path).nodes);
}

void MacroEditWidget::showEvents(const QList<MacroNode> &nodes)
{
    deleteListWidgetAllItem(m_eventList);
    for (const MacroNode &n : nodes) {
        if (n.valueType == KeyRow)
            addEventListTextItem(n);
        else if (n.valueType == PositionRow)
            addEventListPositionItem(n);
        else
            continue;
        if (n.timeLapse != 0)
            addEventListTimeItem(n.timeLapse);
    }
}

void MacroEditWidget::deleteListWidgetAllItem(QListWidget *list)
{
    const bool was = m_loading;
    m_loading = true;
    list->clear();
    m_loading = was;
}

void MacroEditWidget::checkIsTwoNormalTime()
{
    int i = 1;
    while (i < m_eventList->count()) {
        QListWidgetItem *above = m_eventList->item(i - 1);
        QListWidgetItem *here = m_eventList->item(i);
        if (rowType(above) == DelayRow && rowType(here) == DelayRow) {
            const int sum = rowMap(above).value(kValue).toInt() + rowMap(here).value(kValue).toInt();
            QVariantMap map = rowMap(above);
            map.insert(kValue, sum);
            above->setData(Qt::UserRole, map);
            above->setText(QStringLiteral("%1ms").arg(sum));
            delete m_eventList->takeItem(i);
        } else {
            ++i;
        }
    }
}

// ---- files --------------------------------------------------------------------------------------

QString MacroEditWidget::currentMacroPath() const
{
    return m_currentPath;
}

int MacroEditWidget::selectedPlayMode() const
{
    if (m_untilRadio->isChecked())
        return kPlayUntilPressedAgain;
    if (m_whileRadio->isChecked())
        return kPlayWhileHeld;
    return kPlayLoop;
}

void MacroEditWidget::updateMacroFile()
{
    if (m_currentPath.isEmpty())
        return;
    setMacroKeyInFile(eventNodes(), m_currentPath);
}

void MacroEditWidget::setMacroNameInFile(const QString &name, const QString &path)
{
    if (!path.isEmpty())
        DeviceSession::renameMacro(path, name);
}

void MacroEditWidget::setMacroRepeateTimesInFile(int times)
{
    if (!m_currentPath.isEmpty())
        DeviceSession::setMacroRepeatTimes(m_currentPath, times);
}

void MacroEditWidget::setMacroKeyInFile(const QList<MacroNode> &nodes, const QString &path)
{
    if (!path.isEmpty()
        && !DeviceSession::saveMacroEvents(path, nodes, m_repeatSpin->value(), calculateMacroListLength(nodes),
                                           selectedPlayMode()))
        qDebug() << "setMacroKeyInFile: not written" << path;
}

void MacroEditWidget::setMacroTypeInFile(int type)
{
    if (!m_currentPath.isEmpty())
        DeviceSession::setMacroType(m_currentPath, type);
}

void MacroEditWidget::setMacroLength(int length)
{
    m_macroLength = length;
}

// ---- the library --------------------------------------------------------------------------------

void MacroEditWidget::loadNameList(const QString &folder)
{
    m_loading = true;
    m_nameList->clear();
    for (const DeviceSession::MacroEntry &e : DeviceSession::macroEntries(folder)) {
        auto *item = new QListWidgetItem(e.name, m_nameList);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setTextAlignment(Qt::AlignCenter);
        item->setData(Qt::UserRole, e.path);
    }
    m_loading = false;
}

void MacroEditWidget::slot_reLoadMacroNamelist()
{
    stopRecording();
    if (m_editing)
        EditArrayEditable(false);
    const QString keep = m_currentPath;
    loadNameList(DeviceSession::editorMacroFolder());
    m_currentPath.clear();
    if (keep.isEmpty() || !selectMacro(keep)) {
        deleteListWidgetAllItem(m_eventList);
        refreshControls();
    }
}

bool MacroEditWidget::selectMacro(const QString &path)
{
    for (int i = 0; i < m_nameList->count(); ++i) {
        QListWidgetItem *item = m_nameList->item(i);
        if (item->data(Qt::UserRole).toString() == path) {
            m_nameList->setCurrentItem(item);
            selectMacroItem(item);
            return true;
        }
    }
    return false;
}

void MacroEditWidget::selectMacroItem(QListWidgetItem *item)
{
    if (!item || m_recording || m_editing)
        return;
    m_currentPath = item->data(Qt::UserRole).toString();
    const DeviceSession::MacroDocument doc = DeviceSession::readMacro(m_currentPath);
    m_loading = true;
    m_repeatSpin->setValue(qBound(1, doc.repeatTimes, kMaxRepeat));
    m_ignoreDelay->setChecked(doc.ignoreDelayTime != 0);
    if (doc.macroType == kPlayUntilPressedAgain)
        m_untilRadio->setChecked(true);
    else if (doc.macroType == kPlayWhileHeld)
        m_whileRadio->setChecked(true);
    else
        m_loopRadio->setChecked(true);
    m_loading = false;
    showEvents(doc.nodes);
    refreshControls();
}

void MacroEditWidget::on_MacroNameListWidget_itemPressed(QListWidgetItem *item)
{
    selectMacroItem(item);
    if (item)
        usageEvent(QStringLiteral("SelectMacro"), item->text());
}

void MacroEditWidget::on_MacroNameListWidget_activated(const QModelIndex &index)
{
    on_MacroNameListWidget_itemPressed(m_nameList->item(index.row()));
}

void MacroEditWidget::on_MacroTitleComboBox_currentTextChanged(const QString &text)
{
    Q_UNUSED(text)
    if (m_loading)
        return;
    loadNameList(DeviceSession::editorMacroFolder());
    m_currentPath.clear();
    deleteListWidgetAllItem(m_eventList);
    refreshControls();
}

void MacroEditWidget::slot_MacroNameEditFinishedfunc(QListWidgetItem *item)
{
    if (m_loading || !item)
        return;
    QString name = item->text().trimmed();
    if (name.isEmpty())
        name = TextTable::text(kTextDefaultName);
    if (name != item->text()) {
        m_loading = true;
        item->setText(name);
        m_loading = false;
    }
    setMacroNameInFile(name, item->data(Qt::UserRole).toString());
    if (item == m_nameList->currentItem())
        selectMacroItem(item);
    usageEvent(QStringLiteral("RenameMacro"), name);
}

void MacroEditWidget::on_CreateButton_clicked()
{
    if (m_recording || m_editing)
        return;
    const QString name = TextTable::text(kTextDefaultName);
    const QString path = DeviceSession::createMacro(DeviceSession::editorMacroFolder(), name);
    if (path.isEmpty())
        return;
    m_loading = true;
    auto *item = new QListWidgetItem(name, m_nameList);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setTextAlignment(Qt::AlignCenter);
    item->setData(Qt::UserRole, path);
    m_loading = false;
    m_nameList->setCurrentItem(item);
    selectMacroItem(item);
    usageEvent(QStringLiteral("CreateMacro"));
}

void MacroEditWidget::on_DeleteButton_clicked()
{
    QListWidgetItem *item = m_nameList->currentItem();
    if (m_recording || m_editing || !item)
        return;
    const QString path = item->data(Qt::UserRole).toString();
    if (!DeviceSession::deleteMacro(path)) {
        qDebug() << "on_DeleteButton_clicked: not removed" << path;
        return;
    }
    m_loading = true;
    delete m_nameList->takeItem(m_nameList->row(item));
    m_nameList->setCurrentRow(-1);
    m_loading = false;
    m_currentPath.clear();
    deleteListWidgetAllItem(m_eventList);
    refreshControls();
    usageEvent(QStringLiteral("DeleteMacro"));
}

// ---- play settings ------------------------------------------------------------------------------

void MacroEditWidget::on_RepeatTimesSpinBox_valueChanged(int value)
{
    if (m_loading)
        return;
    setMacroRepeateTimesInFile(value);
    usageEvent(QStringLiteral("RepeatTimes"), QString::number(value));
}

void MacroEditWidget::on_IgnoreEventWaiteTimeCheckBox_clicked()
{
    if (m_currentPath.isEmpty())
        return;
    DeviceSession::setMacroIgnoreDelayTime(m_currentPath, m_ignoreDelay->isChecked() ? kIgnoreDelaySet : 0);
    usageEvent(QStringLiteral("IgnoreDelay"), m_ignoreDelay->isChecked() ? QStringLiteral("on") : QStringLiteral("off"));
}

void MacroEditWidget::on_PlayWhenItPressed_RadioButton_clicked()
{
    setMacroTypeInFile(kPlayWhileHeld);
    usageEvent(QStringLiteral("PlayMode"), QString::number(kPlayWhileHeld));
}

void MacroEditWidget::on_LoopCount_RadioButton_clicked()
{
    setMacroTypeInFile(kPlayLoop);
    usageEvent(QStringLiteral("PlayMode"), QString::number(kPlayLoop));
}

void MacroEditWidget::on_PlayUntilPressAgain_RadioButton_clicked()
{
    setMacroTypeInFile(kPlayUntilPressedAgain);
    usageEvent(QStringLiteral("PlayMode"), QString::number(kPlayUntilPressedAgain));
}

// ---- recording ----------------------------------------------------------------------------------

qint64 MacroEditWidget::restartClock()
{
    const qint64 now = Pacer::nowMs();
    const qint64 elapsed = now - m_clock;
    m_clock = now;
    return elapsed;
}

bool MacroEditWidget::MacroNodeIsTooLong(int length)
{
    const int sum = m_macroLength + length;
    if (sum <= kMaxMacroLength) {
        m_macroLength = sum;
        return false;
    }
    qDebug() << "MacroNodeIsTooLong " << sum;
    stopRecording();
    emit sig_ShowWarningWidgetOnMacroEditWidget(kWarningMacroTooLong);
    return true;
}

void MacroEditWidget::on_StartRecordButton_clicked()
{
    if (m_recording) {
        usageEvent(QStringLiteral("StopRecord"));
        stopRecording();
        return;
    }
    if (m_currentPath.isEmpty() || m_editing)
        return;
    m_macroLength = 0;
    deleteListWidgetAllItem(m_eventList);
    m_firstEvent = true;
    m_recording = true;
    m_pendingNodes.clear();
    m_recordButton->setText(TextTable::text(kTextStopRecord));
    refreshControls();
    setFocus(Qt::OtherFocusReason);
    emit sig_BanClickTopButton(true, false);
    usageEvent(QStringLiteral("StartRecord"));
}

void MacroEditWidget::stopRecording()
{
    if (!m_recording)
        return;
    m_recording = false;
    m_recordButton->setText(TextTable::text(kTextStartRecord));
    updateMacroFile();
    setMacroLength(0);
    refreshControls();
    emit sig_BanClickTopButton(false, false);
}

void MacroEditWidget::recordPress(int code)
{
    const bool first = m_firstEvent;
    qint64 elapsed = restartClock();
    const int time = first ? 1 : int(qMin<qint64>(elapsed, INT_MAX));
    if (MacroNodeIsTooLong(calculateMacroNodeLength(time)))
        return; // the press that would go over the limit is not added, nor its delay
    m_firstEvent = false;
    if (!first)
        addEventListTimeItem(time);
    addEventListTextItem(createKeyButtonNode(code, 0, time));
    m_eventList->scrollToBottom();
}

void MacroEditWidget::recordRelease(int code, bool checkLength)
{
    // A release before anything was recorded belongs to a press from before the recording (the
    // key that started it): it has no press to end.
    if (m_firstEvent)
        return;
    const int time = int(qMin<qint64>(restartClock(), INT_MAX));
    if (checkLength) {
        if (MacroNodeIsTooLong(calculateMacroNodeLength(1)))
            return;
    } else {
        m_macroLength += calculateMacroNodeLength(time);
    }
    addEventListTimeItem(time);
    addEventListTextItem(createKeyButtonNode(code, 1, time));
    m_eventList->scrollToBottom();
}

void MacroEditWidget::createMouseButtonPressNode(int button)
{
    if (!m_recording)
        return;
    recordPress(button);
}

void MacroEditWidget::createMouseButtonRelaseNode(int button)
{
    if (m_recording)
        recordRelease(button, true);
}

void MacroEditWidget::insertAMouseButtonNode(int button)
{
    if (m_editing && m_keyRadio->isChecked())
        captureKey(button);
}

void MacroEditWidget::captureKey(int code)
{
    m_pendingNodes = {createKeyButtonNode(code, 0, 1), createKeyButtonNode(code, 1, 1)};
    m_lineEdit->setText(keyText(code));
}

void MacroEditWidget::on_LeftMouseButton_pressed()
{
    m_recording ? createMouseButtonPressNode(kLeft) : insertAMouseButtonNode(kLeft);
}

void MacroEditWidget::on_LeftMouseButton_released()
{
    createMouseButtonRelaseNode(kLeft);
}

void MacroEditWidget::on_MidMouseButton_pressed()
{
    m_recording ? createMouseButtonPressNode(kMiddle) : insertAMouseButtonNode(kMiddle);
}

void MacroEditWidget::on_MidMouseButton_released()
{
    createMouseButtonRelaseNode(kMiddle);
}

void MacroEditWidget::on_RightMouseButton_pressed()
{
    m_recording ? createMouseButtonPressNode(kRight) : insertAMouseButtonNode(kRight);
}

void MacroEditWidget::on_RightMouseButton_released()
{
    createMouseButtonRelaseNode(kRight);
}

void MacroEditWidget::keyPressEvent(QKeyEvent *event)
{
    const bool capturing = m_editing && m_keyRadio->isChecked();
    if (!m_recording && !capturing) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    const int code = recordedKey(event);
    if (code == 0)
        return;
    if (m_recording)
        recordPress(code);
    else
        captureKey(code);
}

void MacroEditWidget::keyReleaseEvent(QKeyEvent *event)
{
    if (!m_recording) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    const int code = recordedKey(event);
    if (code != 0)
        recordRelease(code, false);
}

bool MacroEditWidget::event(QEvent *e)
{
    // While recording or capturing a key, Tab is a key like any other, not a focus move.
    if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease)
        && (m_recording || (m_editing && m_keyRadio->isChecked()))) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            if (e->type() == QEvent::KeyPress)
                keyPressEvent(k);
            else
                keyReleaseEvent(k);
            return true;
        }
    }
    return QWidget::event(e);
}

// ---- editing ------------------------------------------------------------------------------------

void MacroEditWidget::EditArrayEditable(bool editable)
{
    const bool changed = m_editing != editable;
    m_editing = editable;
    if (!editable) {
        m_xSpin->setValue(0);
        m_ySpin->setValue(0);
        m_pendingNodes.clear();
        m_lineEdit->clear();
    }
    refreshControls();
    if (changed)
        emit sig_HeaderButtonEnable(!editable);
}

void MacroEditWidget::setEditKeyAddDelayTimeState(bool addKey, bool addDelayTime)
{
    m_lineEdit->clear();
    m_pendingNodes.clear();
    if (addKey) {
        m_lineEdit->setValidator(nullptr);
        m_lineEdit->setFocusPolicy(Qt::NoFocus);
        m_lineEdit->setReadOnly(true);
        m_lineEdit->setEnabled(true);
        Theme::setPlaceholder(m_lineEdit, TextTable::text(kTextKeyHint));
        setFocus(Qt::OtherFocusReason);
    } else if (addDelayTime) {
        m_lineEdit->setReadOnly(false);
        m_lineEdit->setEnabled(true);
        m_lineEdit->setFocusPolicy(Qt::StrongFocus);
        m_lineEdit->setValidator(m_delayValidator);
        Theme::setPlaceholder(m_lineEdit, TextTable::text(kTextDelayHint));
        m_lineEdit->setFocus(Qt::OtherFocusReason);
    } else {
        m_lineEdit->setEnabled(false);
        Theme::setPlaceholder(m_lineEdit, QString());
    }
    const bool position = !addKey && !addDelayTime;
    m_xSpin->setEnabled(position);
    m_ySpin->setEnabled(position);
    setRightMouseButtonShowOrHide(addKey);
}

void MacroEditWidget::setRightMouseButtonShowOrHide(bool show)
{
    m_mouseBox->setVisible(show);
}

void MacroEditWidget::on_AddEventButton_clicked()
{
    if (m_currentPath.isEmpty() || m_recording || m_editing)
        return;
    const int stored = DeviceSession::readMacro(m_currentPath).macroLength;
    if (m_macroLength > kMaxMacroLength || stored > kMaxMacroLength) {
        qDebug() << "MacroNodeIsTooLong " << qMax(m_macroLength, stored);
        emit sig_ShowWarningWidgetOnMacroEditWidget(kWarningMacroTooLong);
        return;
    }
    m_changeMode = false;
    EditArrayEditable(true);
    for (QRadioButton *r : {m_keyRadio, m_delayRadio, m_positionRadio})
        r->setEnabled(true);
    m_keyRadio->setChecked(true);
    setEditKeyAddDelayTimeState(true, false);
    usageEvent(QStringLiteral("AddEvent"));
}

void MacroEditWidget::on_EditEventButton_clicked()
{
    QListWidgetItem *item = m_eventList->currentItem();
    if (!item || m_currentPath.isEmpty() || m_recording || m_editing)
        return;
    const QVariantMap map = rowMap(item);
    const int type = rowType(item);
    m_changeMode = true;
    EditArrayEditable(true);
    QRadioButton *chosen = type == DelayRow ? m_delayRadio : type == PositionRow ? m_positionRadio : m_keyRadio;
    for (QRadioButton *r : {m_keyRadio, m_delayRadio, m_positionRadio})
        r->setEnabled(r == chosen);
    chosen->setChecked(true);
    if (type == DelayRow) {
        setEditKeyAddDelayTimeState(false, true);
        m_lineEdit->setText(map.value(kValue).toString());
        m_lineEdit->selectAll();
    } else if (type == PositionRow) {
        setEditKeyAddDelayTimeState(false, false);
        m_xSpin->setValue(map.value(kX).toInt());
        m_ySpin->setValue(map.value(kY).toInt());
        m_xSpin->setFocus(Qt::OtherFocusReason);
    } else {
        setEditKeyAddDelayTimeState(true, false);
    }
    usageEvent(QStringLiteral("EditEvent"));
}

void MacroEditWidget::on_ChangeOrInsertKeyRadioButton_clicked()
{
    setEditKeyAddDelayTimeState(true, false);
}

void MacroEditWidget::on_ChangeOrInsertDelayTimeRadioButton_clicked()
{
    setEditKeyAddDelayTimeState(false, true);
}

void MacroEditWidget::on_ChangeOrInsetAMousePositionRadioButton_clicked()
{
    setEditKeyAddDelayTimeState(false, false);
}

void MacroEditWidget::on_AddCertainButton_clicked()
{
    if (!m_editing)
        return;
    const int row = m_eventList->currentRow();
    // Inserting needs a row to insert after, except into an empty list.
    const bool intoEmpty = !m_changeMode && m_eventList->count() == 0;
    if (row < 0 && !intoEmpty)
        return;
    const int after = intoEmpty ? 0 : row + 1;
    int select = -1;
    auto replace = [this, row]() { delete m_eventList->takeItem(row); };
    if (m_keyRadio->isChecked()) {
        if (m_pendingNodes.size() == 2) {
            if (m_changeMode) {
                const QVariantMap map = rowMap(m_eventList->item(row));
                for (const MacroNode &n : qAsConst(m_pendingNodes)) {
                    if (rowType(m_eventList->item(row)) == KeyRow && map.value(kState).toInt() == n.state) {
                        replace();
                        addEventListTextItem(n, row);
                        select = row;
                        break;
                    }
                }
            } else {
                addEventListTextItem(m_pendingNodes.at(0), after);
                addEventListTextItem(m_pendingNodes.at(1), after + 1);
                select = after + 1;
            }
        }
    } else if (m_delayRadio->isChecked()) {
        const QString text = m_lineEdit->text().trimmed();
        bool ok = false;
        const int delay = text.toInt(&ok);
        if (ok && delay >= 0 && delay <= kMaxDelay) {
            if (m_changeMode) {
                replace();
                addEventListTimeItem(delay, row);
                select = row;
            } else {
                // A delay next to another one becomes part of it: the one above keeps the sum.
                const bool delayAbove = row >= 0 && rowType(m_eventList->item(row)) == DelayRow;
                addEventListTimeItem(delay, after);
                checkIsTwoNormalTime();
                select = delayAbove ? row : after;
            }
        }
    } else {
        MacroNode n;
        n.valueType = PositionRow;
        n.coordinateX = m_xSpin->value();
        n.coordinateY = m_ySpin->value();
        if (m_changeMode) {
            replace();
            addEventListPositionItem(n, row);
            select = row;
        } else {
            addEventListPositionItem(n, after);
            select = after;
        }
    }
    m_pendingNodes.clear();
    m_lineEdit->clear();
    EditArrayEditable(false);
    if (select >= 0)
        m_eventList->setCurrentRow(select);
    updateMacroFile();
    m_changeMode = false;
    usageEvent(QStringLiteral("ConfirmEdit"));
}

void MacroEditWidget::on_ReduceEventButton_clicked()
{
    const int row = m_eventList->currentRow();
    if (row < 0 || m_recording || m_editing)
        return;
    delete m_eventList->takeItem(row);
    checkIsTwoNormalTime();
    updateMacroFile();
    usageEvent(QStringLiteral("DeleteEvent"));
}

void MacroEditWidget::on_EventListWidget_currentRowChanged(int currentRow)
{
    Q_UNUSED(currentRow)
    refreshControls();
}

// ---- state of the controls ----------------------------------------------------------------------

void MacroEditWidget::refreshControls()
{
    const bool hasMacro = !m_currentPath.isEmpty();
    const bool idle = !m_recording && !m_editing;
    const bool hasRow = m_eventList->currentRow() >= 0;
    m_titleCombo->setEnabled(idle);
    m_nameList->setEnabled(idle);
    m_createButton->setEnabled(idle);
    m_deleteButton->setEnabled(idle && m_nameList->currentItem() != nullptr);
    // The list stays readable while recording but takes no keys from it.
    m_eventList->setEnabled(!m_editing);
    m_eventList->setFocusPolicy(m_recording ? Qt::NoFocus : Qt::StrongFocus);
    m_addEventButton->setEnabled(idle && hasMacro);
    m_editEventButton->setEnabled(idle && hasMacro && hasRow);
    m_reduceEventButton->setEnabled(idle && hasMacro && hasRow);
    m_recordButton->setEnabled(hasMacro && !m_editing);
    m_playBox->setEnabled(idle && hasMacro);
    m_editPanel->setEnabled(m_editing);
    setRightMouseButtonShowOrHide(m_recording || (m_editing && m_keyRadio->isChecked()));
    // While recording, a click on a mouse button leaves the keyboard with the recording (and a
    // button that took the focus would be let go the moment it lost it again).
    for (QPushButton *b : {m_leftButton, m_midButton, m_rightButton})
        b->setFocusPolicy(m_recording ? Qt::NoFocus : Qt::StrongFocus);
}

void MacroEditWidget::usageEvent(const QString &action, const QString &label)
{
    emit sig_SendEventMessageToGA(kCategory, action, label, kScreen);
}
