-- Tables of a shared PostgreSQL database. Money is numeric(19,4), date-times timestamp(0).

CREATE TABLE 手牌管理 (
  id serial PRIMARY KEY,
  手牌号码 text NOT NULL UNIQUE,
  所属包厢 text,
  手牌状态 text,
  所在位置 text,
  包厢性质 text
);

CREATE TABLE 包厢类型 (
  id serial PRIMARY KEY,
  包厢类型 text,
  包厢性质 text,
  容纳人数 integer DEFAULT 0,
  计费方式 text,
  门票价格 numeric(19,4) DEFAULT 0,
  初始费用 numeric(19,4) DEFAULT 0
);

CREATE TABLE 计费设置 (
  计费方式 text
);

CREATE TABLE 手牌开单 (
  id serial PRIMARY KEY,
  手牌号码 text,
  包厢类型 text,
  包厢性质 text,
  顾客姓名 text,
  押金金额 numeric(19,4) DEFAULT 0,
  合计金额 numeric(19,4) DEFAULT 0,
  进店时间 timestamp(0),
  备注 text,
  主手牌号 text
);

CREATE TABLE 手牌消费 (
  id serial PRIMARY KEY,
  手牌号码 text,
  主手牌号 text,
  项目名 text,
  单价 numeric(19,4) DEFAULT 0,
  打折率 double precision DEFAULT 1,
  实际单价 numeric(19,4) DEFAULT 0,
  数量 integer DEFAULT 0,
  合计 numeric(19,4) DEFAULT 0,
  提成金额 numeric(19,4) DEFAULT 0,
  消费时间 timestamp(0),
  是否计时 text,
  状态 text,
  服务生编号 text,
  服务生姓名 text,
  营业员 text,
  打折对象 text,
  单据号 text,
  服务生 text
);

CREATE TABLE 结帐管理 (
  id serial PRIMARY KEY,
  结帐单号 text,
  手牌号码 text,
  进店时间 timestamp(0),
  离店时间 timestamp(0),
  结帐时间 timestamp(0),
  消费金额 numeric(19,4) DEFAULT 0,
  实收金额 numeric(19,4) DEFAULT 0,
  结帐方式 text,
  会员卡号 text,
  状态 text,
  顾客姓名 text,
  备注 text,
  营业员 text
);

CREATE TABLE 结帐明细 (
  ID serial PRIMARY KEY,
  单据号 text,
  手牌号码 text,
  顾客姓名 text,
  消费项目 text,
  消费单价 numeric(19,4) DEFAULT 0,
  消费数量 integer DEFAULT 0,
  消费金额 numeric(19,4) DEFAULT 0,
  消费时间 timestamp(0),
  是否计时 text,
  服务生编号 text,
  服务生姓名 text,
  营业员 text,
  状态 text
);

CREATE TABLE 服务生提成 (
  id serial PRIMARY KEY,
  编号 text,
  姓名 text,
  结帐时间 date,
  提成金额 numeric(19,4) DEFAULT 0,
  单据号 text,
  手牌号码 text
);

CREATE TABLE 单据号 (
  单据号 integer DEFAULT 0
);

CREATE TABLE 商品项目库 (
  ID serial PRIMARY KEY,
  项目名 text,
  名称拼音 text,
  单价 numeric(19,4) DEFAULT 0,
  所属类型 text,
  打折率 double precision DEFAULT 1,
  提成金额 numeric(19,4) DEFAULT 0,
  是否允许打折 text,
  是否需要服务 text
);

CREATE TABLE 商品项目类型 (
  类型名称 text
);

CREATE TABLE 服务生管理 (
  id serial PRIMARY KEY,
  服务生编号 text,
  服务生姓名 text,
  性别 text,
  服务包厢 text,
  服务生等级 text,
  状态 text,
  联系电话 text,
  证件号码 text,
  备注 text,
  联系地址 text,
  包厢性质 text,
  服务等级 text
);

CREATE TABLE 会员管理 (
  id serial PRIMARY KEY,
  会员卡号 text,
  会员姓名 text,
  密码 text,
  当前状态 text,
  卡内金额 numeric(19,4) DEFAULT 0,
  当前积分 integer DEFAULT 0,
  会员性别 text,
  会员类型 text,
  出生日期 date,
  联系电话 text,
  备注 text,
  登记日期 date
);

CREATE TABLE 会员类型 (
  id serial PRIMARY KEY,
  类型名称 text,
  打折率 double precision DEFAULT 1,
  初始积分 integer DEFAULT 0
);

CREATE TABLE 会员充值 (
  id serial PRIMARY KEY,
  会员卡号 text,
  会员姓名 text,
  会员类型 text,
  充值金额 numeric(19,4) DEFAULT 0,
  充值日期 timestamp(0),
  备注 text,
  营业员 text,
  奖励金额 numeric(19,4) DEFAULT 0
);

CREATE TABLE 管理员 (
  id serial PRIMARY KEY,
  用户名 text,
  密码 text,
  收银结算 boolean NOT NULL DEFAULT false,
  消费管理 boolean NOT NULL DEFAULT false,
  来宾登记 boolean NOT NULL DEFAULT false,
  营业查询 boolean NOT NULL DEFAULT false,
  会员管理 boolean NOT NULL DEFAULT false,
  数据初始化 boolean NOT NULL DEFAULT false,
  管理员设置 boolean NOT NULL DEFAULT false,
  会员开户 boolean NOT NULL DEFAULT false,
  会员充值 boolean NOT NULL DEFAULT false,
  项目商品管理 boolean NOT NULL DEFAULT false,
  手牌管理 boolean NOT NULL DEFAULT false,
  服务生管理 boolean NOT NULL DEFAULT false,
  数据备份 boolean NOT NULL DEFAULT false,
  数据恢复 boolean NOT NULL DEFAULT false,
  免单 boolean NOT NULL DEFAULT false,
  撤单 boolean NOT NULL DEFAULT false
);

CREATE TABLE 启动记录 (
  id serial PRIMARY KEY,
  用户名 text,
  登陆时间 timestamp(0),
  退出时间 timestamp(0)
);

-- Wrong passwords of the last minutes, per member card or operator, seen by every counter.
CREATE TABLE 密码错误 (
  id serial PRIMARY KEY,
  类别 text,
  名称 text,
  时间 timestamp(0)
);

CREATE TABLE sysinfo (
  name text,
  tel text,
  "add" text
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
