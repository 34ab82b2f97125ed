#pragma once
// Result codes of the account service, sent as "code" in every reply body (0 = success).
// server/README.md lists them with their meaning; the program turns each into a text of its own.

namespace ResultCode {
constexpr int Ok = 0;
constexpr int UnknownEmail = 10001;       // no account with this e-mail address
constexpr int EmailTaken = 10002;         // registration: the address already has an account
constexpr int WrongPassword = 10003;      // login or password change: password incorrect
constexpr int BadEmail = 10004;           // the e-mail member is not an e-mail address
constexpr int BadPasswordLength = 10005;  // a new password is not 6 to 16 characters long
constexpr int PasswordsDiffer = 10006;    // password and repetition differ
constexpr int BadNickname = 10008;        // nickname empty or longer than 7 characters
constexpr int WrongCode = 10009;          // the verification code does not match
constexpr int CodeExpired = 10010;        // no valid code: never sent, expired, used or too many tries
constexpr int LoginInvalid = 10011;       // token missing, unknown or expired
constexpr int MailFailed = 10012;         // the verification code could not be delivered
constexpr int TooManyAttempts = 10013;    // too many failed logins for the account or the address
constexpr int SamePassword = 10016;       // password change: new password equals the old one
constexpr int BadUpload = 10017;          // multipart body malformed or without a part "file"
constexpr int UploadTooLarge = 10018;     // the uploaded file exceeds the size limit
constexpr int NotAZip = 10019;            // the uploaded file is not a zip archive
constexpr int FileNotFound = 10020;       // "filePath" names no upload of this user
constexpr int BadModel = 10023;           // "configType" is not a model name
constexpr int NoVersion = 10025;          // no release published for this version type
constexpr int BadVersionType = 10026;     // "versionType" is not "<name>-firmware" / "<name>-software"
constexpr int BadRequest = 10027;         // body not a JSON object, member missing or of the wrong
                                          // type or too long, body too large, unknown address
constexpr int ServerError = 10050;        // the database or the disk failed
constexpr int CodeStillValid = 20004;     // a verification code was sent less than a minute ago
} // namespace ResultCode
