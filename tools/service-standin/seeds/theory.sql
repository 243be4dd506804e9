-- Theory study: the learners' driving-licence exams, ahead and sat. 孙丽娜 (C2) has none yet.
insert into account values ('510104199808083456', '0', '510100', '510000', '123456', '13500003333', '510104199808083456', '孙丽娜',
    'XY20150004', 'C2', '2015-05-18', '02', '成都蓝天驾驶培训学校', null, '1', '0',
    'http://127.0.0.1:3600/Tessalane/images/school-lantian.png', 'SQ20150004');

-- result: '0' passed, anything else failed, null while the exam is ahead; state '0' is still ahead.
create table theory_exam (
    usercode text not null,
    ordinal integer not null,
    subject text,
    examseqno text,
    examdate text,
    examstarttime text,
    examendtime text,
    examresult text,
    examstate text,
    primary key (usercode, ordinal)
);
insert into theory_exam values ('510104199203154321', 1, '2', '0215', '2015-07-16', '08:30', '11:30', null, '0');
insert into theory_exam values ('510104199203154321', 2, '1', '0103', '2015-04-20', '09:00', '09:45', '0', '1');
insert into theory_exam values ('510104199203154321', 3, '2', '0187', '2015-06-11', '08:30', '11:30', '1', '1');
