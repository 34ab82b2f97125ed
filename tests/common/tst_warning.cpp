// The warning numbers under their names: every number the warning dialog knows, and the numbers
// that are not warnings.
#include "common/warning.h"

#include <QtTest>

Q_DECLARE_METATYPE(Warning)

class TstWarning : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void numbersAndNames_data();
    void numbersAndNames();
    void notAWarning_data();
    void notAWarning();
};

void TstWarning::numbersAndNames_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<Warning>("warning");
    const QList<QPair<int, Warning>> rows = {
        {0, Warning::ConfirmFactoryReset}, {1, Warning::NewerProgramVersion},
        {2, Warning::ConfirmUpload}, {3, Warning::ConfirmLogOut}, {4, Warning::ConfirmDownload},
        {5, Warning::Unraised5}, {6, Warning::OnlyLeftButton}, {7, Warning::FirmwareUpdateFailed},
        {8, Warning::FirmwareUpdateSucceeded}, {9, Warning::NetworkError}, {10, Warning::LoginNeeded},
        {11, Warning::FirmwareUpToDate}, {12, Warning::FirmwareDownloading},
        {13, Warning::FirmwareUpdating}, {14, Warning::TooManyUpdateAttempts},
        {15, Warning::Unraised15}, {16, Warning::UploadFailed}, {17, Warning::UploadFinished},
        {18, Warning::LoginExpired}, {19, Warning::DownloadFailed}, {20, Warning::Unraised20},
        {22, Warning::DownloadFinished}, {23, Warning::Unraised23}, {24, Warning::Unraised24},
        {25, Warning::Unraised25}, {26, Warning::Unraised26}, {27, Warning::MacroTooLong},
        {28, Warning::PasswordChanged}, {29, Warning::Unraised29}, {30, Warning::PairingSucceeded},
        {31, Warning::PairingFailed}, {32, Warning::ReadOrWriteFailed}, {33, Warning::WakeUpHelp},
        {34, Warning::NewerFirmwareOnSupportPage}, {35, Warning::NewerFirmwareAtConnection},
        {36, Warning::Unraised36}, {37, Warning::MacroListWritten},
        {38, Warning::NoConfigurationMatches}, {39, Warning::UpdateWithoutModelChoice},
        {40, Warning::UpdateRefusedThroughReceiver}, {41, Warning::ConfirmOspreyFamilyUpdate},
        {42, Warning::Unraised42}, {43, Warning::MacroRefusedOnButton},
        {44, Warning::ReceiverPairedWithOtherMouse}, {45, Warning::RegistrationSucceeded},
        {46, Warning::PasswordResetSucceeded}, {47, Warning::TooManyInsertions},
        {48, Warning::Unraised48}, {49, Warning::Unraised49}, {50, Warning::Unraised50},
        {51, Warning::Unraised51}, {52, Warning::NewerProgramVersionOnRequest},
        {53, Warning::ProgramUpToDate}, {54, Warning::ServerMessage},
    };
    for (const auto &r : rows)
        QTest::addRow("%d", r.first) << r.first << r.second;
}

void TstWarning::numbersAndNames()
{
    QFETCH(int, number);
    QFETCH(Warning, warning);
    QCOMPARE(toInt(warning), number);
    QVERIFY(warningFromInt(number).has_value());
    QCOMPARE(*warningFromInt(number), warning);
}

void TstWarning::notAWarning_data()
{
    QTest::addColumn<int>("number");
    for (int n : {-1, 21, 55, 103, 10011})
        QTest::addRow("%d", n) << n;
}

void TstWarning::notAWarning()
{
    QFETCH(int, number);
    QVERIFY(!warningFromInt(number).has_value());
}

QTEST_GUILESS_MAIN(TstWarning)
#include "tst_warning.moc"
