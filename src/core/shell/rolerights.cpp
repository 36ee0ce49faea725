#include "core/shell/rolerights.h"

#include <array>

namespace hemu::RoleRights {

namespace {
struct Row
{
    const char *command;
    std::array<bool, 4> roles; // roles 0, 1, 2, 3-and-others
};

// clang-format off
const Row table[] = {
    {"miOpen",         {1, 1, 1, 1}},
    {"miCloseAccSet",  {1, 1, 1, 1}},
    {"miMaintainAcc",  {1, 1, 0, 0}},
    {"miClearAcc",     {1, 1, 0, 0}},
    {"miEdSelfPsd",    {1, 1, 1, 1}},
    {"miSetRight",     {1, 0, 0, 0}},
    {"miEdTabs",       {1, 1, 1, 0}},
    {"nShowMarket",    {1, 1, 1, 0}},
    {"nViewTotal",     {1, 1, 1, 1}},
    {"nBuyManage",     {1, 1, 1, 0}},
    {"nProfitAnalyse", {1, 1, 0, 0}},
    {"nTotalTabs",     {1, 1, 1, 0}},
    {"miReport",       {1, 1, 0, 0}},
    {"nEdBaseInfo",    {1, 1, 0, 0}},
    {"nDisplayFormat", {1, 1, 1, 0}},
    {"spEdBaseInfo",   {1, 1, 0, 0}},
    {"spEdTabs",       {1, 1, 1, 0}},
    {"spViewTotal",    {1, 1, 1, 1}},
    {"spMarketInfo",   {1, 1, 1, 0}},
    {"spReport",       {1, 1, 0, 0}},
    // Replacing the whole set is the administrator's decision (after the submenu's own row).
    {"miRestore",      {1, 0, 0, 0}},
    // Importing master data is typing it in bulk: whoever may edit base information.
    {"nImport",        {1, 1, 0, 0}},
};
// clang-format on
} // namespace

QList<QString> governedCommands()
{
    QList<QString> out;
    for (const Row &r : table)
        out << QString::fromLatin1(r.command);
    return out;
}

bool isEnabled(const QString &command, int roleId)
{
    const int column = (roleId >= 0 && roleId <= 2) ? roleId : 3;
    for (const Row &r : table) {
        if (command == QLatin1String(r.command))
            return r.roles[size_t(column)];
    }
    return true;
}

} // namespace hemu::RoleRights
