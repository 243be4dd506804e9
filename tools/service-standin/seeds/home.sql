-- The learner home's checks: 周建华 learns where online payment is not open and has evaluated
-- his school.
insert into account values ('510106199609093344', '0', '510100', '510000', '123456', '13800004444', '510106199609093344', '周建华',
    'XY20150005', 'C1', '2015-06-01', '04', '成都蓝天驾驶培训学校', null, '1', '1',
    'http://127.0.0.1:3600/Tessalane/images/school-lantian.png', 'SQ20150005');
insert into video_account values ('510106199609093344', '6', '0', '0', '12', '16', '10', 21600, 0, 0, '1',
    '43200', '57600', '36000', '1', '1');
insert into school_evaluation values ('510106199609093344', '03', '5', '2015-07-01');
