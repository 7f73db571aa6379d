#pragma once

#include <string>

// Every text the program writes into a caption, the status line or a message box at run time.
enum class TextKey {
    Connect,
    Stop,
    Option,
    Export,
    LanguageName,
    ServerLabel,
    TitlePrefix,
    Connecting,
    ConnectOk,
    Searching,
    SearchDone,
    StopUpdate,
    ConnectFailed,
    UserPasswordEmpty,
    UserPasswordWrong,
    CertKeyEmpty,
    CertKeyWrong,
    WriteFailed,
    ExportFailed,
    ExportCapped,
    SecurityOption,
    SecurityMode,
    SecurityPolicy,
    Authorize,
    Anonymous,
    UserName,
    Password,
    Certificate,
    PrivateKey,
    Ok,
    Cancel,
    NodeIdLabel,
    NewValue,
    InvalidValue,
    RangeJoin,
    BooleanForm,
    NumberForm,
    DateTimeForm,
    TextForm,
    PlainPasswordPrompt,
    FilterXls,
    FilterXlsx,
    FilterCsv,
    FilterText,
    FilterAll,
    ExportCappedXlsx,
    CliExported,
    CliUsage,
    CliUnknownOption,
    CliMissingValue,
    CliBadValue,
    CliNeedsExport,
    CliConflict,
    CliPasswordOnCommandLine,
    CliPasswordEnvUnset,
    CliPasswordPrompt,
    CliPlainPasswordHint,
    FilterPlaceholder,
    FilterCount,
    SearchProgress,
    SearchLost,
    RefreshLost,
    RefreshBack,
    PolicyNotOffered,
    ExportProgress,
    ExportDone,
    ExportCancelled,
    ExportScopeQuestion,
    CliBadFormat,
    Count
};

// 0 Chinese (the start value), 1 English. Only the language toggle changes it.
extern int language;

// The text of `key` in `lang`, or in the current language.
const std::string& Text(TextKey key, int lang);
const std::string& Text(TextKey key);
// The text with its "%d" replaced by `number`.
std::string FormatText(TextKey key, long long number);
