-- Rows every new database starts with. The operator "超级管理员" is added by the
-- program itself, because its password is stored as a freshly salted hash.
INSERT INTO 单据号 (单据号) VALUES (0);
INSERT INTO sysinfo (name, tel, "add") VALUES ('本店名称', '', '');
INSERT INTO 计费设置 (计费方式) VALUES ('按次计费');
INSERT INTO 计费设置 (计费方式) VALUES ('按时计费');
INSERT INTO 计费设置 (计费方式) VALUES ('包厢计费');
INSERT INTO 商品项目类型 (类型名称) VALUES ('洗浴');
INSERT INTO 商品项目类型 (类型名称) VALUES ('足疗按摩');
INSERT INTO 商品项目类型 (类型名称) VALUES ('美容美发');
INSERT INTO 商品项目类型 (类型名称) VALUES ('茶水饮料');
INSERT INTO 商品项目类型 (类型名称) VALUES ('食品');
INSERT INTO 商品项目类型 (类型名称) VALUES ('香烟');
INSERT INTO 商品项目类型 (类型名称) VALUES ('其他');
