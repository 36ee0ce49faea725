#pragma once

#include <QString>

namespace hemu {

class Dataset;

/**
 * The logged-in user changing his or her own password on the user dataset (psd): the old
 * password is checked against the stored hash before anything is stored.
 */
namespace OwnPassword {

QString wrongOldText();  // "原有口令不对，请重试。"
QString mismatchText();  // "口令核对错，请重新输入。"

/// Makes the row of `userId` the current one of `psd`; false when there is none.
bool gotoUser(Dataset &psd, int userId);
/// Whether `old` is the password of the current row of `psd` (exactly: case counts).
bool oldMatches(const Dataset &psd, const QString &old);
/// Checks the old password, then the confirmation, then stores the hash of `newPassword` on
/// the current row of `psd`. Returns the text to show, empty when the password was changed.
QString change(Dataset &psd, const QString &old, const QString &newPassword, const QString &confirmation);
/// Stores the hash of `password` on the current row of `psd` (editing it if needed) and
/// posts it. Returns the text to show, empty on success; a refused post is cancelled.
QString store(Dataset &psd, const QString &password);

} // namespace OwnPassword

} // namespace hemu
