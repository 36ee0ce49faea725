#pragma once

namespace hemu {

class AccountSetShell;
class BaseData;
class FileChooser;
struct MasterEditors;
struct Pickers;
class ProgressSink;
class Prompter;
class TabData;
class TfrmMain;
class TfrmMyPreview;
class TfrmSearchTabs;
class TfrmSetPrn;

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
    /// The resident pickers (set once they are made, right after the context).
    Pickers *pickers = nullptr;
    /// The resident master-data editors (set with the pickers).
    MasterEditors *editors = nullptr;
    /// The report preview, made once at start-up.
    TfrmMyPreview *preview = nullptr;
    /// The bill search, made once at start-up: bill entry's "找单据" shows it, the browsers
    /// fill its criteria and run it (searchFor) before opening bill entry.
    TfrmSearchTabs *searchTabs = nullptr;
    /// The printer settings asked before every bill printing, made once at start-up: it holds
    /// the printer bills are printed on for the run and the line-print preview switch.
    TfrmSetPrn *setPrn = nullptr;
};

} // namespace hemu
