-- hemu account-set schema. The build turns this file into the blank template
-- (src/tools/mktemplate.cpp); the program itself never creates tables in a user's file.
--
-- Types: AutoNumber -> INTEGER PRIMARY KEY AUTOINCREMENT (a number is never handed out twice),
-- Long/Short -> INTEGER, Double -> REAL, Text/Memo -> TEXT, YesNo -> INTEGER 0/1,
-- DateTime -> TEXT 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS', Picture -> BLOB.
-- Period counters are NOT NULL DEFAULT 0 so that no arithmetic ever meets a NULL.

-- Master tables ------------------------------------------------------------

CREATE TABLE Catalogs (
  CataID   INTEGER PRIMARY KEY AUTOINCREMENT,
  Catalog  TEXT,
  Remark   TEXT,
  Picture  BLOB
);

CREATE TABLE Areas (
  AreaID   INTEGER PRIMARY KEY AUTOINCREMENT,
  AreaName TEXT
);

-- UnitID is typed by the user; a duplicate is refused by the key.
CREATE TABLE Units (
  UnitID INTEGER PRIMARY KEY NOT NULL,
  Unit   TEXT
);

CREATE TABLE Vendors (
  VendorID   INTEGER PRIMARY KEY AUTOINCREMENT,
  VendorName TEXT,
  AreaID     INTEGER,
  Address    TEXT,
  Zip        TEXT,
  Telephone  TEXT,
  Fax        TEXT,
  Preferred  INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE Customers (
  CustID    INTEGER PRIMARY KEY AUTOINCREMENT,
  AreaID    INTEGER,
  CustName  TEXT,
  Address   TEXT,
  Telephone TEXT,
  Fax       TEXT,
  Manager   TEXT,
  RegDate   TEXT
);

-- The key column of a department is called CustID.
CREATE TABLE Departments (
  CustID     INTEGER PRIMARY KEY AUTOINCREMENT,
  Department TEXT,
  Address    TEXT,
  Telphone   TEXT,
  Manager    TEXT
);

CREATE TABLE Employees (
  EmpID    INTEGER PRIMARY KEY AUTOINCREMENT,
  DeptID   INTEGER,
  Employee TEXT,
  Sex      TEXT,
  Age      INTEGER,
  BirthDay TEXT,
  Address  TEXT,
  Telphone TEXT,
  Picture  BLOB
);

CREATE TABLE UserRoles (
  RoleID      INTEGER PRIMARY KEY NOT NULL,
  Role        TEXT,
  Description TEXT
);

-- A user is an employee: UserID = Employees.EmpID. Password holds an Argon2id hash
-- (crypto_pwhash_str); the typed password itself is at most 10 characters.
CREATE TABLE psd (
  UserID   INTEGER PRIMARY KEY AUTOINCREMENT,
  Password TEXT,
  RoleID   INTEGER
);

CREATE TABLE UserInfo (
  id       INTEGER PRIMARY KEY AUTOINCREMENT,
  Name     TEXT,
  Address  TEXT,
  闸帐月   INTEGER,
  闸帐日   INTEGER,
  结转时间 TEXT
);

CREATE TABLE DisplayStyle (
  DataFormat TEXT
);

-- Goods and stock ------------------------------------------------------------

CREATE TABLE Goods (
  GoodID            INTEGER PRIMARY KEY AUTOINCREMENT,
  Description       TEXT,
  BarCode           TEXT,
  CataID            INTEGER,
  UnitID            INTEGER,
  VendorID          INTEGER,
  CustID            INTEGER DEFAULT 0,
  TaxRate           REAL,
  CostPrice         REAL,
  SellPrice         REAL,
  HardOrder         INTEGER,
  InUse             INTEGER NOT NULL DEFAULT 0,
  IsZero            INTEGER NOT NULL DEFAULT 0,
  EnterDate         TEXT,
  EnterDeptID       INTEGER,
  flag              INTEGER NOT NULL DEFAULT 0,
  DiffCheck         REAL,
  PrevOnHand        REAL NOT NULL DEFAULT 0,
  PrevOnHandMny     REAL NOT NULL DEFAULT 0,
  HandInc           REAL NOT NULL DEFAULT 0,
  HandIncMny        REAL NOT NULL DEFAULT 0,
  CustHandInc       REAL NOT NULL DEFAULT 0,
  CustHandIncMny    REAL NOT NULL DEFAULT 0,
  PrevOnCustHand    REAL NOT NULL DEFAULT 0,
  PrevOnCustHandMny REAL NOT NULL DEFAULT 0,
  Sold              REAL NOT NULL DEFAULT 0,
  SoldMny           REAL NOT NULL DEFAULT 0
);
CREATE INDEX Goods_CataID ON Goods(CataID);
CREATE INDEX Goods_UnitID ON Goods(UnitID);

CREATE TABLE GoodsInCusts (
  GoodID        INTEGER NOT NULL,
  CustID        INTEGER NOT NULL,
  PrevOnHand    REAL NOT NULL DEFAULT 0,
  PrevOnHandMny REAL NOT NULL DEFAULT 0,
  HandInc       REAL NOT NULL DEFAULT 0,
  HandIncMny    REAL NOT NULL DEFAULT 0,
  Sold          REAL NOT NULL DEFAULT 0,
  SoldMny       REAL NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX GoodsInCusts_Pair ON GoodsInCusts(GoodID, CustID);
CREATE INDEX GoodsInCusts_CustID ON GoodsInCusts(CustID);

CREATE TABLE GoodsAvgPrice (
  GoodID       INTEGER PRIMARY KEY NOT NULL,
  CostAvgPrice REAL,
  SellAvgPrice REAL
);

-- Bills ----------------------------------------------------------------------
-- BookID is required: NULL or blank is refused.

CREATE TABLE RuKuDan (
  TabID      INTEGER PRIMARY KEY AUTOINCREMENT,
  BookID     TEXT NOT NULL CONSTRAINT BookID_required CHECK (length(trim(BookID)) > 0),
  CustID     INTEGER,
  TabDate    TEXT,
  RegDate    TEXT,
  SumMoney   REAL NOT NULL DEFAULT 0,
  Remark     TEXT,
  ForQuery   INTEGER NOT NULL DEFAULT 0,
  PersonID   INTEGER,
  KindID     INTEGER,
  invoice    TEXT,
  invoiceMny REAL,
  PageID     INTEGER
);
CREATE INDEX RuKuDan_TabDate ON RuKuDan(TabDate);
CREATE INDEX RuKuDan_CustID ON RuKuDan(CustID);
CREATE INDEX RuKuDan_PersonID ON RuKuDan(PersonID);

CREATE TABLE DiaoBoDan (
  TabID    INTEGER PRIMARY KEY AUTOINCREMENT,
  BookID   TEXT NOT NULL CONSTRAINT BookID_required CHECK (length(trim(BookID)) > 0),
  CustID   INTEGER,
  TabDate  TEXT,
  RegDate  TEXT,
  SumMoney REAL NOT NULL DEFAULT 0,
  Remark   TEXT,
  ForQuery INTEGER NOT NULL DEFAULT 0,
  PersonID INTEGER,
  KindID   INTEGER,
  PageID   INTEGER,
  PayDelay INTEGER
);
CREATE INDEX DiaoBoDan_TabDate ON DiaoBoDan(TabDate);
CREATE INDEX DiaoBoDan_CustID ON DiaoBoDan(CustID);
CREATE INDEX DiaoBoDan_PersonID ON DiaoBoDan(PersonID);

CREATE TABLE ChuKuDan (
  TabID    INTEGER PRIMARY KEY AUTOINCREMENT,
  BookID   TEXT NOT NULL CONSTRAINT BookID_required CHECK (length(trim(BookID)) > 0),
  CustID   INTEGER,
  TabDate  TEXT,
  RegDate  TEXT,
  SumMoney REAL NOT NULL DEFAULT 0,
  Remark   TEXT,
  ForQuery INTEGER NOT NULL DEFAULT 0,
  PersonID INTEGER,
  KindID   INTEGER,
  PageID   INTEGER,
  HowToPay TEXT
);
CREATE INDEX ChuKuDan_TabDate ON ChuKuDan(TabDate);
CREATE INDEX ChuKuDan_CustID ON ChuKuDan(CustID);
CREATE INDEX ChuKuDan_PersonID ON ChuKuDan(PersonID);

-- An item occurs at most once per bill: the (TabID, GoodID) pair is unique.
CREATE TABLE RuKuMx (
  TabID  INTEGER NOT NULL,
  ItemNo INTEGER,
  GoodID INTEGER,
  Price  REAL,
  Qty    REAL
);
CREATE UNIQUE INDEX RuKuMx_Item ON RuKuMx(TabID, GoodID);
CREATE INDEX RuKuMx_GoodID ON RuKuMx(GoodID);

CREATE TABLE DiaoBoMx (
  TabID  INTEGER NOT NULL,
  ItemNo INTEGER,
  GoodID INTEGER,
  Price  REAL,
  Qty    REAL
);
CREATE UNIQUE INDEX DiaoBoMx_Item ON DiaoBoMx(TabID, GoodID);
CREATE INDEX DiaoBoMx_GoodID ON DiaoBoMx(GoodID);

CREATE TABLE ChuKuMx (
  TabID  INTEGER NOT NULL,
  ItemNo INTEGER,
  GoodID INTEGER,
  Price  REAL,
  Qty    REAL
);
CREATE UNIQUE INDEX ChuKuMx_Item ON ChuKuMx(TabID, GoodID);
CREATE INDEX ChuKuMx_GoodID ON ChuKuMx(GoodID);

-- Invoices -------------------------------------------------------------------

CREATE TABLE Invoices (
  TabID    INTEGER,
  invoice  TEXT,
  vendorid INTEGER,
  date     TEXT,
  totalmny REAL,
  remark   TEXT
);
CREATE UNIQUE INDEX Invoices_Number ON Invoices(invoice);
CREATE UNIQUE INDEX Invoices_TabID ON Invoices(TabID);

CREATE TABLE InvoiceMx (
  TabID   INTEGER,
  GoodID  REAL,
  paidqty REAL,
  price   REAL,
  paidmny REAL
);
CREATE INDEX InvoiceMx_TabID ON InvoiceMx(TabID);
