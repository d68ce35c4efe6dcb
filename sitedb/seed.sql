-- The installation's one site: everything empty but the account it logs in with and the
-- settings whose readers expect a value ("0" for features that are off, the notice shown).
INSERT INTO user_info (user_ID, webName, dalm_name, Address, linkMan, Tel, Mobile, Fax, Zip,
                       Email, logo, site_name, accountNo, defaultTmpl, headTmpl, defaultFont,
                       headFont, backGround, defaultFile, topHead, field01, field02, field03,
                       field04, field05, adBoard, javascript, field06)
VALUES (1, '', '', '', '', '', '', '', '', '', '', '', '20061001', '', '', '', '', '', '', '',
        '', '0', '0', '0', '0', '0', '0', '0||2006-10-01');

-- Product classifications: first level, then second level.
INSERT INTO prodType (Type_ID, Type_name) VALUES
    (1, '电子电工'),
    (2, '机械设备'),
    (3, '服装纺织'),
    (4, '食品饮料'),
    (5, '建材家居'),
    (6, '化工原料'),
    (7, '农林牧渔'),
    (8, '办公文教');

INSERT INTO prodClass (Type_ID, class_name) VALUES
    (1, '手机通讯'), (1, '电脑配件'), (1, '家用电器'), (1, '电子元器件'), (1, '电线电缆'),
    (2, '机床'), (2, '工程机械'), (2, '农业机械'), (2, '泵阀'), (2, '包装机械'),
    (3, '男装'), (3, '女装'), (3, '童装'), (3, '面料'), (3, '家纺'),
    (4, '茶叶'), (4, '酒类'), (4, '饮料'), (4, '休闲食品'), (4, '粮油调味'),
    (5, '陶瓷卫浴'), (5, '门窗'), (5, '地板'), (5, '灯具照明'), (5, '家具'),
    (6, '涂料油漆'), (6, '塑料橡胶'), (6, '化肥农药'), (6, '日用化工'),
    (7, '种子种苗'), (7, '水果蔬菜'), (7, '水产'), (7, '畜牧养殖'),
    (8, '文具'), (8, '纸张'), (8, '办公设备'), (8, '体育用品');
