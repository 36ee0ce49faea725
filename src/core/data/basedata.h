#pragma once

#include "core/data/deferredprompter.h"
#include "core/data/goodsmarks.h"

#include "core/data/currentuser.h"
#include "core/dataset/datasetregistry.h"
#include "core/db/database.h"

#include <QObject>

namespace hemu {

class Dataset;
class Prompter;
class TabData;

/**
 * Owner of the single account-set connection `MyADOCnn`, the current user and the master
 * datasets with their rules: delete guards, defaults of new rows, the re-pointing of goods
 * when a unit's key changes, refused posts, the goods search and the marking of idle goods.
 * Created once per program run; the connection is closed until an account set is opened.
 */
class BaseData : public QObject
{
    Q_OBJECT
public:
    explicit BaseData(Prompter &prompter, QObject *parent = nullptr);
    ~BaseData() override;

    Database &MyADOCnn() { return m_connection; }
    const Database &MyADOCnn() const { return m_connection; }
    /// The user's prompter as the rules use it: what they say inside a write is shown once
    /// the write has ended (DeferredPrompter).
    Prompter &prompter() { return m_prompter; }
    /// While set, what the rules say goes to `sink` at once (see DeferredPrompter::divertTo).
    void divertMessages(Prompter *sink) { m_prompter.divertTo(sink); }
    /// The datasets attached to the connection: these in declaration order, then TabData's.
    DatasetRegistry &registry() { return m_registry; }

    CurrentUser &user() { return m_user; }
    const CurrentUser &user() const { return m_user; }
    int CurUserID() const { return m_user.CurUserID; }
    int CurRoleID() const { return m_user.CurRoleID; }
    QString CurUserName() const { return m_user.CurUserName; }
    QString CurRole() const { return m_user.CurRole; }
    QString LoginStatusText() const { return m_user.LoginStatusText(); }
    QString PrintStampText() const { return m_user.PrintStampText(); }

    /// Set while a window rewrites many goods rows in one run: no refresh after each post.
    bool BulkGoodsUpdate = false;

    /// Marks goods items whose quantity counters are all zero (`IsZero`), unmarks the rest.
    /// The marks are this program's own (GoodsMarks): the file is not written.
    bool MarkZeroGoods(QString *error = nullptr);
    /// Goods search: marks the items whose description (mode 0) or code (mode 1) contains
    /// `text` in `flag` and filters `goods` on "flag=1". The text is searched for literally.
    /// The marks are this program's own, shared by its goods views; the file is not written.
    bool FilterGoods(int mode, const QString &text, Dataset &goods, QString *error = nullptr);
    const GoodsMarks &marks() const { return m_marks; }

    // The usage tests of the delete guards: true when bills or customer stock use the key.
    bool goodsInUse(const QVariant &goodId);
    bool customerInUse(const QVariant &custId);
    bool vendorInUse(const QVariant &vendorId);

    /// TabData attaches itself here so the goods rules can refresh its stock view.
    void setTabData(TabData *tabData) { m_tabData = tabData; }
    TabData *tabData() const { return m_tabData; }

    // Datasets, in declaration order (the order the open loop opens them).
    Dataset *Cata = nullptr;
    Dataset *Areas = nullptr;
    Dataset *Units = nullptr;
    Dataset *Vendors = nullptr;
    Dataset *Goods = nullptr;
    Dataset *Custs = nullptr;
    Dataset *Employees = nullptr;
    Dataset *lkRole = nullptr;
    Dataset *Psd = nullptr;
    Dataset *Depart = nullptr;
    Dataset *CustExists = nullptr;
    Dataset *lkGoods = nullptr;
    Dataset *GoodAvgPrice = nullptr;
    Dataset *tbStyle = nullptr;
    Dataset *UserInfo = nullptr;
    Dataset *qMaxGoodID = nullptr;
    Dataset *GoodUsed = nullptr;
    Dataset *qTest = nullptr;

private:
    void createDatasets();
    void installRules();
    void installDeleteGuards();
    void installDefaults();
    void installUnitKeyChange();
    void installRefusals();
    /// True when `sql` with `params` returns a row (a usage test).
    bool isUsed(Dataset &query, const QString &sql, const QVariantList &params);
    /// The GoodID of every row `sql` selects; false (and `error`) when the read fails.
    bool readGoodIds(const QString &sql, const QVariantList &params, QSet<qint64> *ids, QString *error);

    DeferredPrompter m_prompter;
    Database m_connection;
    GoodsMarks m_marks; // this program's search and empty-goods marks
    CurrentUser m_user;
    DatasetRegistry m_registry;
    TabData *m_tabData = nullptr;
    // The rowid of the goods row being posted as it was before the edit (0 for a new row).
    qint64 m_goodsRowBefore = 0;
    // The unit key as it was when the edit of a Units row began.
    struct
    {
        bool active = false;
        QVariant unitId;
        bool repointed = false;
    } m_unitEditPending;
    QVariant m_offeredGoodId; // the code a new goods row was given when it was begun
};

} // namespace hemu
