-- Sample data of the local stand-in of the services. Every account, name and number here is
-- made up; the passwords are the sample accounts' own and are meant to be typed at the login
-- screen and in the README's example.

create table region (
    province text not null,        -- province code (PROVINCE)
    province_name text,            -- PROVINCE_NAME
    depcode text primary key,      -- city code (DEPCODE)
    depname text not null          -- city name (DEPNAME); text after the first 市 is cut by the client
);
insert into region values ('510000', '四川省', '510100', '成都市');
insert into region values ('510000', '四川省', '510700', '绵阳市');
insert into region values ('510000', '四川省', '510600', '德阳市道路运输管理处');
insert into region values ('440000', '广东省', '440100', '广州市');
insert into region values ('440000', '广东省', '440300', '深圳市');
insert into region values ('420000', '湖北省', '420100', '武汉市');
insert into region values ('500000', null, '500100', '重庆主城区');

create table app_setting (
    paramname text primary key,    -- PARAMNAME of the login reply's array0
    paramvalue text
);
insert into app_setting values ('VERSION', '1.2.0');
insert into app_setting values ('UPDATE_CONTENT', '1. 优化视频学习体验；2. 修复已知问题。');
insert into app_setting values ('DOWNLOAD_URL', 'http://127.0.0.1:3600/Tessalane/download/corvane.html');
insert into app_setting values ('ISFORCE', '0');

create table school (
    school_id text primary key,
    depcode text not null,
    name text not null,
    address text,
    phone text,
    logo_url text
);
insert into school values ('JX5101001', '510100', '成都蓝天驾驶培训学校', '成都市武侯区科华北路88号', '028-85551234', 'http://127.0.0.1:3600/Tessalane/images/school-lantian.png');

create table coach (
    coach_id text primary key,
    school_id text not null,
    name text not null,
    car_type text,
    phone text,
    star text
);
insert into coach values ('JL0001', 'JX5101001', '张建国', 'C1', '13800010001', '4.5');
insert into coach values ('JL0002', 'JX5101001', '李红梅', 'C1', '13800010002', '5');
insert into coach values ('JL0003', 'JX5101001', '王志强', 'C2', '13800010003', '4');

-- Role 0 is a learner, role 4 an officer of the transport authority.
create table account (
    usercode text not null,
    roletype text not null,
    depcode text not null,
    province text not null,
    password text not null,
    phone text,
    cardno text,
    name text,
    stuid text,
    perdritype text,
    admissiondate text,
    govstatus text,
    epname text,
    urlimg text,
    subject text,
    distance_education text,
    jximgurl text,
    stuapplicationid text,
    primary key (usercode, roletype)
);
insert into account values ('510104199203154321', '0', '510100', '510000', '123456', '13912345678', '510104199203154321', '陈小雨',
    'XY20150001', 'C1', '2015-03-02', '04', '成都蓝天驾驶培训学校', 'http://127.0.0.1:3600/Tessalane/images/learner-chen.png', '2', '1',
    'http://127.0.0.1:3600/Tessalane/images/school-lantian.png', 'SQ20150001');
insert into account values ('yunguan01', '4', '510100', '510000', '654321', '02887654321', '510102197805061111', '刘志远',
    null, null, null, null, '成都市道路运输管理局', null, null, '0', null, null);

create table notice (
    nid text primary key,
    depcode text not null,
    title text not null,
    predate text not null,
    content text not null
);
insert into notice values ('GG0001', '510100', '关于春节期间暂停预约培训的通知', '2015-02-10',
    '各位学员：春节期间（2月18日至2月24日）暂停预约培训，2月25日起恢复正常。请合理安排学习时间。');
insert into notice values ('GG0002', '510100', '理论学时网络学习须知', '2015-03-01',
    '网络理论学习每天最多计入4学时，请在观看视频时保持网络畅通，学时以系统记录为准。');
insert into notice values ('GG0003', '510100', '科目二考试场地调整公告', '2015-04-15',
    '自5月1日起，科目二考试移至新都考场，请考生按准考证上的时间和地点参加考试。');

create table video_account (
    usercode text primary key,
    theoryhours text, theoryhours2 text, theoryhours3 text,
    value0 text, value1 text, value2 text,
    sub1time integer, sub2time integer, sub3time integer,
    ispower text,
    sub1alltime text, sub2alltime text, sub3alltime text,
    distance_education text,
    is_open_orbipay text
);
insert into video_account values ('510104199203154321', '12', '4', '0', '12', '16', '10', 43200, 14400, 0, '1',
    '43200', '57600', '36000', '1', '0');

-- The school evaluation: the items a learner scores, and the evaluations already made.
create table evaluation_item (
    item_id text primary key,      -- ITEMID
    item_name text not null        -- ITEMNAME
);
insert into evaluation_item values ('01', '教学质量');
insert into evaluation_item values ('02', '服务态度');
insert into evaluation_item values ('03', '收费透明');
insert into evaluation_item values ('04', '训练场地');
insert into evaluation_item values ('05', '车辆状况');

create table school_evaluation (
    usercode text not null,
    school_id text not null,
    score text,
    evaldate text,
    primary key (usercode, school_id)
);
