#pragma once
// The numbered warnings: each number selects the warning dialog's title, message, buttons and
// outcome. The numbers travel as int in the existing signals (sig_ShowWarningDialog and the
// pages' warning signals); new code names them through this enum and converts at the border.
//
// Numbers without a cause of their own ("Unraised…") have a dialog entry but nothing in the
// program raises them; they are listed so that every number the dialog knows has a name.
// 21 and everything above 54 are not warnings.

#include <optional>

enum class Warning : int {
    ConfirmFactoryReset = 0,
    NewerProgramVersion = 1,          // found by the automatic check
    ConfirmUpload = 2,
    ConfirmLogOut = 3,
    ConfirmDownload = 4,
    Unraised5 = 5,
    OnlyLeftButton = 6,               // the only left-click button cannot be reassigned
    FirmwareUpdateFailed = 7,
    FirmwareUpdateSucceeded = 8,
    NetworkError = 9,                 // no network, bad reply or a server code
    LoginNeeded = 10,
    FirmwareUpToDate = 11,
    FirmwareDownloading = 12,         // progress panel
    FirmwareUpdating = 13,            // progress panel
    TooManyUpdateAttempts = 14,
    Unraised15 = 15,
    UploadFailed = 16,
    UploadFinished = 17,
    LoginExpired = 18,
    DownloadFailed = 19,
    Unraised20 = 20,
    DownloadFinished = 22,
    Unraised23 = 23,
    Unraised24 = 24,
    Unraised25 = 25,
    Unraised26 = 26,
    MacroTooLong = 27,
    PasswordChanged = 28,             // confirming it logs the user out
    Unraised29 = 29,
    PairingSucceeded = 30,
    PairingFailed = 31,
    ReadOrWriteFailed = 32,
    WakeUpHelp = 33,                  // the read/write warning's wake-up button turns into this
    NewerFirmwareOnSupportPage = 34,
    NewerFirmwareAtConnection = 35,
    Unraised36 = 36,
    MacroListWritten = 37,
    NoConfigurationMatches = 38,      // the mouse equals no stored configuration
    UpdateWithoutModelChoice = 39,
    UpdateRefusedThroughReceiver = 40,
    ConfirmOspreyFamilyUpdate = 41,
    Unraised42 = 42,                  // progress panel
    MacroRefusedOnButton = 43,        // a macro of type 4 on a button that cannot play it
    ReceiverPairedWithOtherMouse = 44,
    RegistrationSucceeded = 45,
    PasswordResetSucceeded = 46,
    TooManyInsertions = 47,
    Unraised48 = 48,
    Unraised49 = 49,
    Unraised50 = 50,
    Unraised51 = 51,
    NewerProgramVersionOnRequest = 52, // found by the user's own check
    ProgramUpToDate = 53,
    ServerMessage = 54,               // a server message shown as it came
};

constexpr int toInt(Warning w) { return static_cast<int>(w); }

// The warning of a number; nothing for a number that is not a warning.
constexpr std::optional<Warning> warningFromInt(int number)
{
    if (number < 0 || number > toInt(Warning::ServerMessage) || number == 21)
        return std::nullopt;
    return static_cast<Warning>(number);
}
