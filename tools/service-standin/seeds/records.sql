-- Training records and appeals, evaluations of coaches, mail and notices of the sample learner.

-- Hours per subject (checkHourMethod): hours needed, hours recorded, hours that count; a subject's
-- practice hours are its sessions below, from start to end and in minutes that count.
create table records_hours (
    usercode text not null,
    subject text not null,        -- SUBJECT
    hourtype text not null,       -- HOURTYPE: 1 theory, 2 practice
    needhours text not null,      -- NEEDHOURS
    finishhours text not null,    -- FINISHHOURS
    effecthours text not null,    -- EFFECTHOURS
    appeal_open text not null,    -- ISOPEN of QUERY_TYPE 7
    primary key (usercode, subject, hourtype)
);
insert into records_hours values ('510104199203154321', '1', '1', '12', '12', '12', '0');
insert into records_hours values ('510104199203154321', '2', '2', '16', '10', '9', '1');
insert into records_hours values ('510104199203154321', '3', '2', '24', '2', '2', '1');

-- One training session each (QUERY_TYPE 1 sums them per day, 2 lists a day's).
create table records_training (
    recordid text primary key,    -- RECORDID
    usercode text not null,
    subject text not null,
    recorddate text not null,     -- RECORDDATE yyyy-MM-dd
    starttime text not null,      -- STARTTIME HH:mm
    endtime text not null,        -- ENDTIME
    effecttime integer not null,  -- EFFECTTIME minutes that count
    coachname text not null,      -- COACHNAME
    carno text not null           -- CARNO
);
insert into records_training values ('XS201503050001', '510104199203154321', '2', '2015-03-05', '08:30', '10:00', 90, '张建国', '川A1234学');
insert into records_training values ('XS201503050002', '510104199203154321', '2', '2015-03-05', '14:00', '15:00', 55, '张建国', '川A1234学');
insert into records_training values ('XS201503090001', '510104199203154321', '2', '2015-03-09', '09:00', '11:00', 120, '李红梅', '川A5678学');
insert into records_training values ('XS201503160001', '510104199203154321', '2', '2015-03-16', '15:00', '16:30', 80, '张建国', '川A1234学');
insert into records_training values ('XS201503280001', '510104199203154321', '2', '2015-03-28', '08:00', '09:00', 60, '李红梅', '川A5678学');
insert into records_training values ('XS201504020001', '510104199203154321', '2', '2015-04-02', '10:00', '11:30', 90, '张建国', '川A1234学');
insert into records_training values ('XS201504180001', '510104199203154321', '2', '2015-04-18', '13:30', '15:00', 45, '王志强', '川A9012学');
insert into records_training values ('XS201505060001', '510104199203154321', '3', '2015-05-06', '08:00', '10:00', 120, '王志强', '川A9012学');

-- Face photos taken during a session (QUERY_TYPE 3), under /Tessalane/images/, each picture stamped
-- with its own time.
create table records_photo (
    recordid text not null,
    ordinal integer not null,
    phototime text not null,      -- PHOTOTIME
    photo text not null,          -- PHOTOURL
    primary key (recordid, ordinal)
);
insert into records_photo values ('XS201503050001', 1, '2015-03-05 08:31', 'http://127.0.0.1:3600/Tessalane/images/records-face-start.png');
insert into records_photo values ('XS201503050001', 2, '2015-03-05 09:58', 'http://127.0.0.1:3600/Tessalane/images/records-face-end.png');
insert into records_photo values ('XS201503050002', 1, '2015-03-05 14:01', 'http://127.0.0.1:3600/Tessalane/images/records-face-XS201503050002-1.png');
insert into records_photo values ('XS201503050002', 2, '2015-03-05 14:59', 'http://127.0.0.1:3600/Tessalane/images/records-face-XS201503050002-2.png');
insert into records_photo values ('XS201503090001', 1, '2015-03-09 09:02', 'http://127.0.0.1:3600/Tessalane/images/records-face-XS201503090001-1.png');
insert into records_photo values ('XS201504020001', 1, '2015-04-02 10:01', 'http://127.0.0.1:3600/Tessalane/images/records-face-XS201504020001-1.png');

-- Appeals (QUERY_TYPE 4 lists, 5 files, 6 asks whether one is in process). STATE: 0 处理中, 1 已通过, 2 未通过.
create table records_appeal (
    appealid text primary key,    -- APPEALID
    usercode text not null,
    recordid text not null,       -- RECORDID
    reason text not null,         -- REASON
    state text not null,          -- STATE
    appealdate text not null,     -- APPEALDATE
    answer text                   -- ANSWER
);
insert into records_appeal values ('SS0001', '510104199203154321', 'XS201503160001', '实际训练一个半小时，只记录了80分钟。', '1', '2015-03-17', '经核实，已补录10分钟学时。');
insert into records_appeal values ('SS0002', '510104199203154321', 'XS201503280001', '当天车辆故障，训练未完成，申请核减。', '2', '2015-03-29', '车载终端记录完整，不予调整。');

-- Coaches the learner trained with (emEvaluateMethod), and the evaluations made of them.
create table records_coach_link (
    usercode text not null,
    coach_id text not null,
    subject text not null,
    primary key (usercode, coach_id)
);
insert into records_coach_link values ('510104199203154321', 'JL0001', '2');
insert into records_coach_link values ('510104199203154321', 'JL0002', '2');
insert into records_coach_link values ('510104199203154321', 'JL0003', '3');

create table records_coach_item (
    item_id text primary key,     -- ITEMID
    item_name text not null       -- ITEMNAME
);
insert into records_coach_item values ('11', '教学态度');
insert into records_coach_item values ('12', '讲解清楚');
insert into records_coach_item values ('13', '准时守信');
insert into records_coach_item values ('14', '廉洁自律');

create table records_coach_evaluation (
    usercode text not null,
    coach_id text not null,
    itemids text not null,
    scores text not null,
    content text,
    evaldate text not null,
    primary key (usercode, coach_id)
);
insert into records_coach_evaluation values ('510104199203154321', 'JL0003', '11,12,13,14', '5,4.5,5,5', '讲解耐心，非常专业。', '2015-05-06');

create table records_school_comment (
    usercode text primary key,
    itemids text not null,
    scores text not null,
    content text
);

-- Letters to the transport authority (addMailMethod).
create table records_mail (
    usercode text not null,
    title text not null,
    content text not null,
    maildate text not null
);
insert into records_mail values ('510104199203154321', '学车咨询', '请问科目三考试预约需要提前多久？', '2015-04-20');
