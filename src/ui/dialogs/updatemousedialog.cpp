#include "ui/dialogs/updatemousedialog.h"

#include "catalog/modelcatalog.h"
#include "common/mousetype.h"
#include "common/texttable.h"
#include "common/warning.h"
#include "net/update/updatefolder.h"

#include <QDebug>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
enum UpdateText {
    kTextClose = 376,
    kTextMakersUpdater = 395,
    kTextTitle = 396,
    kTextUpdate = 397,
    kTextClosesIn = 398,
    kTextPrevious = 399,
    kTextNext = 400,
};
// The tiles, in the order they are shown.
constexpr int kTileModels[] = {2, 3, 4, 18, 5, 6, 7, 8, 9, 10, 11, 12};

// Models whose firmware this program does not write itself go through the maker's updater.
bool updatedByMakersTool(int code)
{
    return !UpdateFolder::isFirmwareImageModel(code);
}
} // namespace

UpdateMouseDialog::UpdateMouseDialog(bool isChangeable, bool isLocalUpdateState, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_changeable(isChangeable), m_local(isLocalUpdateState)
{
    setObjectName(QStringLiteral("UpdateMouseDialog"));
    setModal(true);
    setFixedSize(760, 440);
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("QDialog#UpdateMouseDialog { background: #17191E; border: 1px solid #2E323A; border-radius: 10px; }"
                                 "QPushButton[tile=\"true\"] { min-height: 64px; text-align: center; }"
                                 "QPushButton[tile=\"true\"]:checked { background: #1A2E33; border: 2px solid #40C5DD; }"));

    auto *title = new QLabel(TextTable::text(kTextTitle), this);
    title->setProperty("role", QStringLiteral("title"));
    auto *close = new QPushButton(QStringLiteral("\u2715"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setAccessibleName(TextTable::text(kTextClose));
    close->setToolTip(TextTable::text(kTextClose));
    close->setFixedWidth(40);
    auto *head = new QHBoxLayout;
    head->addWidget(title);
    head->addStretch();
    head->addWidget(close);

    auto *left = new QPushButton(QStringLiteral("\u2039"), this);
    left->setObjectName(QStringLiteral("MoustToLeftButton"));
    left->setAccessibleName(TextTable::text(kTextPrevious));
    left->setToolTip(TextTable::text(kTextPrevious));
    auto *right = new QPushButton(QStringLiteral("\u203A"), this);
    right->setObjectName(QStringLiteral("MoustToRightButton"));
    right->setAccessibleName(TextTable::text(kTextNext));
    right->setToolTip(TextTable::text(kTextNext));
    left->setVisible(m_changeable);
    right->setVisible(m_changeable);

    auto *grid = new QGridLayout;
    grid->setSpacing(8);
    for (int code : kTileModels) {
        const Catalog::Model *model = Catalog::find(code);
        const QString name = model ? QString::fromLatin1(model->displayName) : MouseType::modelName(code);
        const int version = model ? model->defaultFirmware : 1;
        auto *tile = new QPushButton(QStringLiteral("%1\n%2.0").arg(name).arg(version), this);
        tile->setObjectName(QStringLiteral("Tile_%1").arg(MouseType::modelName(code)));
        tile->setProperty("tile", true);
        tile->setCheckable(true);
        const int index = m_tiles.size();
        connect(tile, &QPushButton::clicked, this, [this, index] { select(index); });
        grid->addWidget(tile, index / 6, index % 6);
        m_tiles << tile;
        m_models << code;
    }
    auto *tiles = new QHBoxLayout;
    tiles->addWidget(left);
    tiles->addLayout(grid, 1);
    tiles->addWidget(right);

    m_update = new QPushButton(TextTable::text(kTextUpdate), this);
    m_update->setObjectName(QStringLiteral("updateFirmwareButton"));
    m_update->setProperty("role", QStringLiteral("primary"));
    m_update->setDefault(true);
    m_countdown = new QLabel(this);
    m_countdown->setObjectName(QStringLiteral("CountdownLabel"));
    m_countdown->setProperty("role", QStringLiteral("secondary"));
    auto *foot = new QHBoxLayout;
    foot->addWidget(m_countdown, 1);
    foot->addWidget(m_update);

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(24, 16, 24, 24);
    box->setSpacing(16);
    box->addLayout(head);
    box->addLayout(tiles, 1);
    box->addLayout(foot);

    connect(close, &QPushButton::clicked, this, &UpdateMouseDialog::on_closeButton_clicked);
    connect(left, &QPushButton::clicked, this, &UpdateMouseDialog::on_MoustToLeftButton_clicked);
    connect(right, &QPushButton::clicked, this, &UpdateMouseDialog::on_MoustToRightButton_clicked);
    connect(m_update, &QPushButton::clicked, this, &UpdateMouseDialog::on_updateFirmwareButton_clicked);
    m_tick.setInterval(1000);
    m_close.setSingleShot(true);
    m_close.setInterval(kCloseAfterSeconds * 1000);
    connect(&m_tick, &QTimer::timeout, this, &UpdateMouseDialog::slot_shortTimeOut);
    connect(&m_close, &QTimer::timeout, this, &UpdateMouseDialog::slot_longTimeOut);
    select(0);
    slot_OtherMouseBeGray();
}

void UpdateMouseDialog::select(int index)
{
    const int n = m_tiles.size();
    m_selected = ((index % n) + n) % n;
    for (int i = 0; i < n; ++i)
        m_tiles[i]->setChecked(i == m_selected);
    m_tiles[m_selected]->setFocus();
}

void UpdateMouseDialog::setCurrentMouseType(int mouseType)
{
    const int index = m_models.indexOf(mouseType);
    if (index >= 0)
        select(index);
    slot_OtherMouseBeGray();
}

int UpdateMouseDialog::selectedMouseType() const
{
    return m_models.value(m_selected);
}

bool UpdateMouseDialog::tileEnabled(int mouseType) const
{
    const int index = m_models.indexOf(mouseType);
    return index >= 0 && m_tiles[index]->isEnabled();
}

void UpdateMouseDialog::slot_OtherMouseBeGray()
{
    for (int i = 0; i < m_tiles.size(); ++i)
        m_tiles[i]->setEnabled(m_changeable || i == m_selected);
}

void UpdateMouseDialog::on_MoustToLeftButton_clicked()
{
    select(m_selected - 1);
}

void UpdateMouseDialog::on_MoustToRightButton_clicked()
{
    select(m_selected + 1);
}

QString UpdateMouseDialog::imageFile(int mouseType) const
{
    return UpdateFolder::packageFile(source(), mouseType);
}

void UpdateMouseDialog::on_updateFirmwareButton_clicked()
{
    const int code = selectedMouseType();
    Q_EMIT sig_SendUIEventMessageToGA(QStringLiteral("Update"), QStringLiteral("UpdateFirmware"),
                                      MouseType::modelName(code), QString());
    if (!Catalog::find(code))
        return;
    if (m_changeable) {
        Q_EMIT sig_ShowWarningDialog(toInt(Warning::UpdateWithoutModelChoice)); // its OK comes back as slot_UpdateFirmware
        return;
    }
    slot_UpdateFirmware();
}

void UpdateMouseDialog::slot_UpdateFirmware()
{
    if (updatedByMakersTool(selectedMouseType())) {
        Q_EMIT sig_ShowWarningDialog(toInt(Warning::ConfirmOspreyFamilyUpdate)); // OK: slot_runMakersUpdater
        return;
    }
    slot_runUpdateExe();
}

void UpdateMouseDialog::slot_runUpdateExe()
{
    const int code = selectedMouseType();
    if (updatedByMakersTool(code)) {
        slot_runMakersUpdater();
        return;
    }
    m_update->setEnabled(false);
    Q_EMIT sig_UpdateFirmwareKelvo(imageFile(code), MouseType::modelName(code));
    m_secondsLeft = kCloseAfterSeconds;
    m_countdown->setText(QStringLiteral("%1 %2s").arg(TextTable::text(kTextClosesIn)).arg(m_secondsLeft));
    m_tick.start();
    m_close.start();
}

void UpdateMouseDialog::slot_runMakersUpdater()
{
    const int code = selectedMouseType();
    const QString program = UpdateFolder::folder(source(), code)
                          + QStringLiteral("/KelvoUpdataOnce.exe");
    qDebug() << "runUpdateExe " << program;
#ifdef Q_OS_WIN
    if (QFileInfo::exists(program) && QDesktopServices::openUrl(QUrl::fromLocalFile(program))) {
        qDebug() << "runUpdateExe ok1";
        return;
    }
#endif
    qDebug() << "runUpdateExe fail1";
    Q_EMIT sig_ShowWarningDialogWithMessage(toInt(Warning::ServerMessage), TextTable::text(kTextMakersUpdater));
}

QString UpdateMouseDialog::countdownText() const
{
    return m_countdown->text();
}

void UpdateMouseDialog::slot_shortTimeOut()
{
    --m_secondsLeft;
    qDebug() << "slot_shortTimeOut" << m_secondsLeft;
    m_countdown->setText(QStringLiteral("%1 %2s").arg(TextTable::text(kTextClosesIn)).arg(qMax(m_secondsLeft, 0)));
}

void UpdateMouseDialog::slot_longTimeOut()
{
    m_tick.stop();
    close();
}

void UpdateMouseDialog::on_closeButton_clicked()
{
    m_tick.stop();
    m_close.stop();
    close();
}

void UpdateMouseDialog::slot_UpdateButtonEnable()
{
    m_update->setEnabled(true);
}
