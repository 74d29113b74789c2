-- Tables of a shared SQL Server database. Money is money, date-times datetime.
-- Tag numbers compare case- and accent-sensitively, as on the other kinds.

CREATE TABLE 手牌管理 (
  id int IDENTITY(1,1) PRIMARY KEY,
  手牌号码 nvarchar(50) COLLATE Chinese_PRC_BIN2 NOT NULL UNIQUE,
  所属包厢 nvarchar(255),
  手牌状态 nvarchar(255),
  所在位置 nvarchar(255),
  包厢性质 nvarchar(255)
);

CREATE TABLE 包厢类型 (
  id int IDENTITY(1,1) PRIMARY KEY,
  包厢类型 nvarchar(255),
  包厢性质 nvarchar(255),
  容纳人数 int DEFAULT 0,
  计费方式 nvarchar(255),
  门票价格 money DEFAULT 0,
  初始费用 money DEFAULT 0
);

CREATE TABLE 计费设置 (
  计费方式 nvarchar(255)
);

CREATE TABLE 手牌开单 (
  id int IDENTITY(1,1) PRIMARY KEY,
  手牌号码 nvarchar(255),
  包厢类型 nvarchar(255),
  包厢性质 nvarchar(255),
  顾客姓名 nvarchar(255),
  押金金额 money DEFAULT 0,
  合计金额 money DEFAULT 0,
  进店时间 datetime,
  备注 nvarchar(255),
  主手牌号 nvarchar(255)
);

CREATE TABLE 手牌消费 (
  id int IDENTITY(1,1) PRIMARY KEY,
  手牌号码 nvarchar(255),
  主手牌号 nvarchar(255),
  项目名 nvarchar(255),
  单价 money DEFAULT 0,
  打折率 float DEFAULT 1,
  实际单价 money DEFAULT 0,
  数量 int DEFAULT 0,
  合计 money DEFAULT 0,
  提成金额 money DEFAULT 0,
  消费时间 datetime,
  是否计时 nvarchar(255),
  状态 nvarchar(255),
  服务生编号 nvarchar(255),
  服务生姓名 nvarchar(255),
  营业员 nvarchar(255),
  打折对象 nvarchar(255),
  单据号 nvarchar(255),
  服务生 nvarchar(255)
);

CREATE TABLE 结帐管理 (
  id int IDENTITY(1,1) PRIMARY KEY,
  结帐单号 nvarchar(255),
  手牌号码 nvarchar(255),
  进店时间 datetime,
  离店时间 datetime,
  结帐时间 datetime,
  消费金额 money DEFAULT 0,
  实收金额 money DEFAULT 0,
  结帐方式 nvarchar(255),
  会员卡号 nvarchar(255),
  状态 nvarchar(255),
  顾客姓名 nvarchar(255),
  备注 nvarchar(255),
  营业员 nvarchar(255)
);

CREATE TABLE 结帐明细 (
  ID int IDENTITY(1,1) PRIMARY KEY,
  单据号 nvarchar(255),
  手牌号码 nvarchar(255),
  顾客姓名 nvarchar(255),
  消费项目 nvarchar(255),
  消费单价 money DEFAULT 0,
  消费数量 int DEFAULT 0,
  消费金额 money DEFAULT 0,
  消费时间 datetime,
  是否计时 nvarchar(255),
  服务生编号 nvarchar(255),
  服务生姓名 nvarchar(255),
  营业员 nvarchar(255),
  状态 nvarchar(255)
);

CREATE TABLE 服务生提成 (
  id int IDENTITY(1,1) PRIMARY KEY,
  编号 nvarchar(255),
  姓名 nvarchar(255),
  结帐时间 date,
  提成金额 money DEFAULT 0,
  单据号 nvarchar(255),
  手牌号码 nvarchar(255)
);

CREATE TABLE 单据号 (
  单据号 int DEFAULT 0
);

CREATE TABLE 商品项目库 (
  ID int IDENTITY(1,1) PRIMARY KEY,
  项目名 nvarchar(255),
  名称拼音 nvarchar(255),
  单价 money DEFAULT 0,
  所属类型 nvarchar(255),
  打折率 float DEFAULT 1,
  提成金额 money DEFAULT 0,
  是否允许打折 nvarchar(255),
  是否需要服务 nvarchar(255)
);

CREATE TABLE 商品项目类型 (
  类型名称 nvarchar(255)
);

CREATE TABLE 服务生管理 (
  id int IDENTITY(1,1) PRIMARY KEY,
  服务生编号 nvarchar(255),
  服务生姓名 nvarchar(255),
  性别 nvarchar(255),
  服务包厢 nvarchar(255),
  服务生等级 nvarchar(255),
  状态 nvarchar(255),
  联系电话 nvarchar(255),
  证件号码 nvarchar(255),
  备注 nvarchar(255),
  联系地址 nvarchar(255),
  包厢性质 nvarchar(255),
  服务等级 nvarchar(255)
);

CREATE TABLE 会员管理 (
  id int IDENTITY(1,1) PRIMARY KEY,
  会员卡号 nvarchar(255),
  会员姓名 nvarchar(255),
  密码 nvarchar(255),
  当前状态 nvarchar(255),
  卡内金额 money DEFAULT 0,
  当前积分 int DEFAULT 0,
  会员性别 nvarchar(255),
  会员类型 nvarchar(255),
  出生日期 date,
  联系电话 nvarchar(255),
  备注 nvarchar(255),
  登记日期 date
);

CREATE TABLE 会员类型 (
  id int IDENTITY(1,1) PRIMARY KEY,
  类型名称 nvarchar(255),
  打折率 float DEFAULT 1,
  初始积分 int DEFAULT 0
);

CREATE TABLE 会员充值 (
  id int IDENTITY(1,1) PRIMARY KEY,
  会员卡号 nvarchar(255),
  会员姓名 nvarchar(255),
  会员类型 nvarchar(255),
  充值金额 money DEFAULT 0,
  充值日期 datetime,
  备注 nvarchar(255),
  营业员 nvarchar(255),
  奖励金额 money DEFAULT 0
);

CREATE TABLE 管理员 (
  id int IDENTITY(1,1) PRIMARY KEY,
  用户名 nvarchar(255),
  密码 nvarchar(255),
  收银结算 bit NOT NULL DEFAULT 0,
  消费管理 bit NOT NULL DEFAULT 0,
  来宾登记 bit NOT NULL DEFAULT 0,
  营业查询 bit NOT NULL DEFAULT 0,
  会员管理 bit NOT NULL DEFAULT 0,
  数据初始化 bit NOT NULL DEFAULT 0,
  管理员设置 bit NOT NULL DEFAULT 0,
  会员开户 bit NOT NULL DEFAULT 0,
  会员充值 bit NOT NULL DEFAULT 0,
  项目商品管理 bit NOT NULL DEFAULT 0,
  手牌管理 bit NOT NULL DEFAULT 0,
  服务生管理 bit NOT NULL DEFAULT 0,
  数据备份 bit NOT NULL DEFAULT 0,
  数据恢复 bit NOT NULL DEFAULT 0,
  免单 bit NOT NULL DEFAULT 0,
  撤单 bit NOT NULL DEFAULT 0
);

CREATE TABLE 启动记录 (
  id int IDENTITY(1,1) PRIMARY KEY,
  用户名 nvarchar(255),
  登陆时间 datetime,
  退出时间 datetime
);

-- Wrong passwords of the last minutes, per member card or operator, seen by every counter.
CREATE TABLE 密码错误 (
  id int IDENTITY(1,1) PRIMARY KEY,
  类别 nvarchar(255),
  名称 nvarchar(255),
  时间 datetime
);

CREATE TABLE sysinfo (
  name nvarchar(255),
  tel nvarchar(255),
  [add] nvarchar(255)
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
CREATE INDEX ix_t06_5 ON 结帐明细 (消费项目, id);
CREATE INDEX ix_t06_6 ON 结帐明细 (消费金额, id);
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
