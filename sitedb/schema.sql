-- The site database. Table and column names are shared with the hosting server,
-- which reads this file after upload; SQLite matches them without regard to case.

CREATE TABLE user_info (
    user_ID     INTEGER PRIMARY KEY,
    webName     TEXT,
    dalm_name   TEXT,
    Address     TEXT,
    linkMan     TEXT,
    Tel         TEXT,
    Mobile      TEXT,
    Fax         TEXT,
    Zip         TEXT,
    Email       TEXT,
    logo        TEXT,
    site_name   TEXT,
    accountNo   TEXT,
    defaultTmpl TEXT,
    headTmpl    TEXT,
    defaultFont TEXT,
    headFont    TEXT,
    backGround  TEXT,
    defaultFile TEXT,
    topHead     TEXT,
    field01     TEXT,
    field02     TEXT,
    field03     TEXT,
    field04     TEXT,
    field05     TEXT,
    adBoard     TEXT,
    javascript  TEXT,
    field06     TEXT
);

-- The catalog tree, one table per level; rows are tied together by name.
CREATE TABLE firstCatalog (
    firstCatalog TEXT,
    catalog      BOOLEAN,
    orderID      INTEGER,
    aspFileName  TEXT
);

CREATE TABLE secondCatalog (
    firstCatalog  TEXT,
    secondCatalog TEXT,
    catalog       BOOLEAN,
    orderID       INTEGER,
    aspFileName   TEXT
);

CREATE TABLE thirdCatalog (
    firstCatalog  TEXT,
    secondCatalog TEXT,
    thirdCatalog  TEXT,
    catalog       BOOLEAN,
    orderID       INTEGER,
    aspFileName   TEXT
);

-- Content records of the file nodes of each level, owned by the node's name.
CREATE TABLE content01 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    firstCatalog TEXT,
    value01 TEXT, value02 TEXT, value03 TEXT, value04 TEXT, value05 TEXT,
    value06 TEXT, value07 TEXT, value08 TEXT, value09 TEXT, value10 TEXT,
    value11 TEXT, value12 TEXT, value13 TEXT, value14 TEXT, value15 TEXT,
    field01 TEXT, field02 TEXT, field03 TEXT, field04 TEXT, field05 TEXT,
    field06 TEXT, field07 TEXT, field08 TEXT, field09 TEXT, field10 TEXT,
    field11 TEXT, field12 TEXT, field13 TEXT, field14 TEXT, field15 TEXT
);

CREATE TABLE content02 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    secondCatalog TEXT,
    value01 TEXT, value02 TEXT, value03 TEXT, value04 TEXT, value05 TEXT,
    value06 TEXT, value07 TEXT, value08 TEXT, value09 TEXT, value10 TEXT,
    value11 TEXT, value12 TEXT, value13 TEXT, value14 TEXT, value15 TEXT,
    field01 TEXT, field02 TEXT, field03 TEXT, field04 TEXT, field05 TEXT,
    field06 TEXT, field07 TEXT, field08 TEXT, field09 TEXT, field10 TEXT,
    field11 TEXT, field12 TEXT, field13 TEXT, field14 TEXT, field15 TEXT
);

CREATE TABLE content03 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    thirdCatalog TEXT,
    value01 TEXT, value02 TEXT, value03 TEXT, value04 TEXT, value05 TEXT,
    value06 TEXT, value07 TEXT, value08 TEXT, value09 TEXT, value10 TEXT,
    value11 TEXT, value12 TEXT, value13 TEXT, value14 TEXT, value15 TEXT,
    field01 TEXT, field02 TEXT, field03 TEXT, field04 TEXT, field05 TEXT,
    field06 TEXT, field07 TEXT, field08 TEXT, field09 TEXT, field10 TEXT,
    field11 TEXT, field12 TEXT, field13 TEXT, field14 TEXT, field15 TEXT
);

-- Read-only catalogues that come with the installation.
CREATE TABLE defaultTmpl (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    tmplType TEXT,
    tmplName TEXT
);

CREATE TABLE headTmpl (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    tmplType TEXT,
    tmplName TEXT
);

CREATE TABLE font (
    ID   INTEGER PRIMARY KEY AUTOINCREMENT,
    font TEXT
);

CREATE TABLE prodType (
    Type_ID   INTEGER PRIMARY KEY,
    Type_name TEXT
);

CREATE TABLE prodClass (
    ID         INTEGER PRIMARY KEY AUTOINCREMENT,
    Type_ID    INTEGER REFERENCES prodType(Type_ID),
    class_name TEXT
);

CREATE INDEX content01_owner ON content01(firstCatalog);
CREATE INDEX content02_owner ON content02(secondCatalog);
CREATE INDEX content03_owner ON content03(thirdCatalog);
CREATE INDEX prodClass_type ON prodClass(Type_ID);
