#pragma once

namespace hemu {

class AccountSetShell;
class BaseData;
class FileChooser;
class ProgressSink;
class Prompter;
class TabData;
class TfrmMain;

/** What every window of the program works with, built once by HemuApp in start-up order. */
struct AppContext
{
    Prompter &prompter;
    FileChooser &files;
    ProgressSink &progress;
    BaseData &base;
    TabData &tab;
    AccountSetShell &shell;
    TfrmMain &main;
};

} // namespace hemu
