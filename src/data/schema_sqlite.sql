-- Tables of the embedded database. Money columns hold ten-thousandths as INTEGER so
-- that sums stay exact; date-times are TEXT "yyyy-mm-dd hh:mm:ss", which compares
-- correctly with "yyyy-MM-dd" bounds.

CREATE TABLE 手牌管理 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  手牌号码 TEXT NOT NULL UNIQUE,
  所属包厢 TEXT,
  手牌状态 TEXT,
  所在位置 TEXT,
  包厢性质 TEXT
);

CREATE TABLE 包厢类型 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  包厢类型 TEXT,
  包厢性质 TEXT,
  容纳人数 INTEGER DEFAULT 0,
  计费方式 TEXT,
  门票价格 INTEGER DEFAULT 0,
  初始费用 INTEGER DEFAULT 0
);

CREATE TABLE 计费设置 (
  计费方式 TEXT
);

CREATE TABLE 手牌开单 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  手牌号码 TEXT,
  包厢类型 TEXT,
  包厢性质 TEXT,
  顾客姓名 TEXT,
  押金金额 INTEGER DEFAULT 0,
  合计金额 INTEGER DEFAULT 0,
  进店时间 TEXT,
  备注 TEXT,
  主手牌号 TEXT
);

CREATE TABLE 手牌消费 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  手牌号码 TEXT,
  主手牌号 TEXT,
  项目名 TEXT,
  单价 INTEGER DEFAULT 0,
  打折率 REAL DEFAULT 1,
  实际单价 INTEGER DEFAULT 0,
  数量 INTEGER DEFAULT 0,
  合计 INTEGER DEFAULT 0,
  提成金额 INTEGER DEFAULT 0,
  消费时间 TEXT,
  是否计时 TEXT,
  状态 TEXT,
  服务生编号 TEXT,
  服务生姓名 TEXT,
  营业员 TEXT,
  打折对象 TEXT,
  单据号 TEXT,
  服务生 TEXT
);

CREATE TABLE 结帐管理 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  结帐单号 TEXT,
  手牌号码 TEXT,
  进店时间 TEXT,
  离店时间 TEXT,
  结帐时间 TEXT,
  消费金额 INTEGER DEFAULT 0,
  实收金额 INTEGER DEFAULT 0,
  结帐方式 TEXT,
  会员卡号 TEXT,
  状态 TEXT,
  顾客姓名 TEXT,
  备注 TEXT,
  营业员 TEXT
);

CREATE TABLE 结帐明细 (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  单据号 TEXT,
  手牌号码 TEXT,
  顾客姓名 TEXT,
  消费项目 TEXT,
  消费单价 INTEGER DEFAULT 0,
  消费数量 INTEGER DEFAULT 0,
  消费金额 INTEGER DEFAULT 0,
  消费时间 TEXT,
  是否计时 TEXT,
  服务生编号 TEXT,
  服务生姓名 TEXT,
  营业员 TEXT,
  状态 TEXT
);

CREATE TABLE 服务生提成 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  编号 TEXT,
  姓名 TEXT,
  结帐时间 TEXT,
  提成金额 INTEGER DEFAULT 0,
  单据号 TEXT,
  手牌号码 TEXT
);

CREATE TABLE 单据号 (
  单据号 INTEGER DEFAULT 0
);

CREATE TABLE 商品项目库 (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  项目名 TEXT,
  名称拼音 TEXT,
  单价 INTEGER DEFAULT 0,
  所属类型 TEXT,
  打折率 REAL DEFAULT 1,
  提成金额 INTEGER DEFAULT 0,
  是否允许打折 TEXT,
  是否需要服务 TEXT
);

CREATE TABLE 商品项目类型 (
  类型名称 TEXT
);

CREATE TABLE 服务生管理 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  服务生编号 TEXT,
  服务生姓名 TEXT,
  性别 TEXT,
  服务包厢 TEXT,
  服务生等级 TEXT,
  状态 TEXT,
  联系电话 TEXT,
  证件号码 TEXT,
  备注 TEXT,
  联系地址 TEXT,
  包厢性质 TEXT,
  服务等级 TEXT
);

CREATE TABLE 会员管理 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  会员卡号 TEXT,
  会员姓名 TEXT,
  密码 TEXT,
  当前状态 TEXT,
  卡内金额 INTEGER DEFAULT 0,
  当前积分 INTEGER DEFAULT 0,
  会员性别 TEXT,
  会员类型 TEXT,
  出生日期 TEXT,
  联系电话 TEXT,
  备注 TEXT,
  登记日期 TEXT
);

CREATE TABLE 会员类型 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  类型名称 TEXT,
  打折率 REAL DEFAULT 1,
  初始积分 INTEGER DEFAULT 0
);

CREATE TABLE 会员充值 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  会员卡号 TEXT,
  会员姓名 TEXT,
  会员类型 TEXT,
  充值金额 INTEGER DEFAULT 0,
  充值日期 TEXT,
  备注 TEXT,
  营业员 TEXT,
  奖励金额 INTEGER DEFAULT 0
);

CREATE TABLE 管理员 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  用户名 TEXT,
  密码 TEXT,
  收银结算 INTEGER NOT NULL DEFAULT 0,
  消费管理 INTEGER NOT NULL DEFAULT 0,
  来宾登记 INTEGER NOT NULL DEFAULT 0,
  营业查询 INTEGER NOT NULL DEFAULT 0,
  会员管理 INTEGER NOT NULL DEFAULT 0,
  数据初始化 INTEGER NOT NULL DEFAULT 0,
  管理员设置 INTEGER NOT NULL DEFAULT 0,
  会员开户 INTEGER NOT NULL DEFAULT 0,
  会员充值 INTEGER NOT NULL DEFAULT 0,
  项目商品管理 INTEGER NOT NULL DEFAULT 0,
  手牌管理 INTEGER NOT NULL DEFAULT 0,
  服务生管理 INTEGER NOT NULL DEFAULT 0,
  数据备份 INTEGER NOT NULL DEFAULT 0,
  数据恢复 INTEGER NOT NULL DEFAULT 0,
  免单 INTEGER NOT NULL DEFAULT 0,
  撤单 INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE 启动记录 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  用户名 TEXT,
  登陆时间 TEXT,
  退出时间 TEXT
);

-- Wrong passwords of the last minutes, per member card or operator, seen by every counter.
CREATE TABLE 密码错误 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  类别 TEXT,
  名称 TEXT,
  时间 TEXT
);

CREATE TABLE sysinfo (
  name TEXT,
  tel TEXT,
  "add" TEXT
);

CREATE INDEX ix_t00_1 ON 手牌管理 (所属包厢);
CREATE INDEX ix_t00_2 ON 手牌管理 (手牌状态);
CREATE INDEX ix_t01_1 ON 包厢类型 (包厢类型);
CREATE INDEX ix_t03_1 ON 手牌开单 (手牌号码);
CREATE INDEX ix_t03_2 ON 手牌开单 (主手牌号);
CREATE INDEX ix_t04_1 ON 手牌消费 (手牌号码);
CREATE INDEX ix_t04_2 ON 手牌消费 (主手牌号);
-- the turnover of a period and its list's footer read this index alone
CREATE INDEX ix_t05_6 ON 结帐管理 (状态, 结帐时间, 实收金额, 消费金额);
CREATE INDEX ix_t05_2 ON 结帐管理 (结帐时间);
CREATE INDEX ix_t05_3 ON 结帐管理 (结帐单号);
CREATE INDEX ix_t05_4 ON 结帐管理 (会员卡号);
CREATE INDEX ix_t05_5 ON 结帐管理 (手牌号码);
-- the items of all time, and the details of one item with their footer, read this index alone
CREATE INDEX ix_t06_8 ON 结帐明细 (状态, 消费项目, 消费数量, 消费金额, 消费单价);
CREATE INDEX ix_t06_2 ON 结帐明细 (状态, 消费时间);
-- the items sold in a period, and the footer of the period's details, read this index alone
CREATE INDEX ix_t06_7 ON 结帐明细 (状态, 消费时间, 消费项目, 消费数量, 消费金额, 消费单价);
CREATE INDEX ix_t06_3 ON 结帐明细 (单据号);
CREATE INDEX ix_t06_4 ON 结帐明细 (消费时间);
-- the columns a list of bill details can be sorted by
CREATE INDEX ix_t06_5 ON 结帐明细 (消费项目);
CREATE INDEX ix_t06_6 ON 结帐明细 (消费金额);
CREATE INDEX ix_t07_1 ON 服务生提成 (编号, 提成金额);
CREATE INDEX ix_t07_2 ON 服务生提成 (结帐时间, 编号, 提成金额);
CREATE INDEX ix_t07_3 ON 服务生提成 (单据号);
CREATE INDEX ix_t09_1 ON 商品项目库 (项目名);
CREATE INDEX ix_t11_1 ON 服务生管理 (服务生编号);
-- a card number names one member: checkout charges the member it finds by it
CREATE UNIQUE INDEX ix_t12_1 ON 会员管理 (会员卡号);
CREATE INDEX ix_t12_2 ON 会员管理 (会员姓名);
-- the register's search by telephone and its order by balance
CREATE INDEX ix_t12_3 ON 会员管理 (联系电话);
CREATE INDEX ix_t12_4 ON 会员管理 (卡内金额);
CREATE INDEX ix_t14_1 ON 会员充值 (会员卡号);
CREATE INDEX ix_t14_2 ON 会员充值 (充值日期);
-- the records' sum and order by amount, their search by operator
CREATE INDEX ix_t14_3 ON 会员充值 (充值金额);
CREATE INDEX ix_t14_4 ON 会员充值 (营业员);
CREATE INDEX ix_t16_1 ON 启动记录 (用户名);
CREATE INDEX ix_t18_1 ON 密码错误 (类别, 名称, 时间);
