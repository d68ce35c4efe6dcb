-- The installation's one site: everything empty but the account it logs in with, the
-- settings whose readers expect a value ("0" for features that are off, the notice shown)
-- and a look to start from (the first templates of the catalogues and a plain name style),
-- so that a site published before any choice still has one.
INSERT INTO user_info (user_ID, webName, dalm_name, Address, linkMan, Tel, Mobile, Fax, Zip,
                       Email, logo, site_name, accountNo, defaultTmpl, headTmpl, defaultFont,
                       headFont, backGround, defaultFile, topHead, field01, field02, field03,
                       field04, field05, adBoard, javascript, field06)
VALUES (1, '', '', '', '', '', '', '', '', '', '', '', '20061001',
        'dqy01.png', 'hqy01.png', 'ns03.png', 'ns03.png', '', '', '',
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

-- Appearance catalogues, written by scripts/make-skin-pictures.py from skins/catalogue.json.
INSERT INTO defaultTmpl (tmplType, tmplName) VALUES
    ('企业', 'dqy01.png'),
    ('企业', 'dqy02.png'),
    ('企业', 'dqy03.png'),
    ('商务', 'dsw01.png'),
    ('商务', 'dsw02.png'),
    ('商务', 'dsw03.png'),
    ('政府机关', 'dzf01.png'),
    ('政府机关', 'dzf02.png'),
    ('政府机关', 'dzf03.png'),
    ('教育', 'djy01.png'),
    ('教育', 'djy02.png'),
    ('教育', 'djy03.png');
INSERT INTO headTmpl (tmplType, tmplName) VALUES
    ('企业', 'hqy01.png'),
    ('企业', 'hqy02.png'),
    ('企业', 'hqy03.png'),
    ('商务', 'hsw01.png'),
    ('商务', 'hsw02.png'),
    ('商务', 'hsw03.png'),
    ('政府机关', 'hzf01.png'),
    ('政府机关', 'hzf02.png'),
    ('政府机关', 'hzf03.png'),
    ('教育', 'hjy01.png'),
    ('教育', 'hjy02.png'),
    ('教育', 'hjy03.png');
INSERT INTO font (font) VALUES
    ('ns01.png'),
    ('ns02.png'),
    ('ns03.png'),
    ('ns04.png'),
    ('ns05.png'),
    ('ns06.png'),
    ('ns07.png'),
    ('ns08.png'),
    ('ns09.png'),
    ('ns10.png'),
    ('ns11.png'),
    ('ns12.png');
-- End of the appearance catalogues.
