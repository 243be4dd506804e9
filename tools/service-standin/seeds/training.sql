-- Video learning, booking and the online-learning goods. Two more learners: 王晓东 has not opened
-- online learning (he buys it), 赵敏 has nearly used up today's four hours of video time.
insert into account values ('510104199605207788', '0', '510100', '510000', '123456', '13700001111', '510104199605207788', '王晓东',
    'XY20150002', 'C1', '2015-04-08', '03', '成都蓝天驾驶培训学校', null, '1', '0',
    'http://127.0.0.1:3600/Tessalane/images/school-lantian.png', 'SQ20150002');
insert into account values ('510104199411112222', '0', '510100', '510000', '123456', '13600002222', '510104199411112222', '赵敏',
    'XY20150003', 'C1', '2015-01-12', '04', '成都蓝天驾驶培训学校', null, '2', '1',
    'http://127.0.0.1:3600/Tessalane/images/school-lantian.png', 'SQ20150003');
insert into video_account values ('510104199605207788', '0', '0', '0', '12', '16', '10', 0, 0, 0, '1',
    '43200', '57600', '36000', '0', '0');
insert into video_account values ('510104199411112222', '16', '2', '0', '12', '16', '10', 57600, 7200, 0, '1',
    '43200', '57600', '36000', '1', '0');

-- Course videos: a few short films (made at build time: a title card and a tone) that many
-- lessons share; video_time is the film's length in seconds.
create table training_film (file text primary key, title text, seconds integer);
insert into training_film values ('course-signs.ogv', '交通标志识读', 12);
insert into training_film values ('course-lights.ogv', '信号灯与路口通行', 20);
insert into training_film values ('course-safety.ogv', '安全文明驾驶', 30);

create table training_topic (ordinal integer primary key, topic text);
insert into training_topic values (0, '道路交通安全法律法规');
insert into training_topic values (1, '交通信号与标志标线');
insert into training_topic values (2, '机动车驾驶操作要领');
insert into training_topic values (3, '恶劣天气安全驾驶');
insert into training_topic values (4, '高速公路安全驾驶');
insert into training_topic values (5, '事故处理与急救常识');
insert into training_topic values (6, '文明驾驶与职业道德');

create table training_video (
    videoid text primary key, subject integer, ordinal integer, teachid text, name text, file text, video_time integer
);
with recursive lesson(n) as (select 1 union all select n + 1 from lesson where n < 130),
     subjects(subject, lessons, label) as (values (1, 24, '科目一'), (2, 130, '科目二'), (3, 40, '科目三'))
insert into training_video
select printf('V%d%03d', s.subject, l.n), s.subject, l.n, printf('T%d%02d', s.subject, (l.n - 1) / 10 + 1),
    printf('%s 第%d课 %s', s.label, l.n, (select topic from training_topic where ordinal = (l.n - 1) % 7)),
    f.file, f.seconds
from subjects s join lesson l on l.n <= s.lessons
join training_film f on f.rowid = ((l.n - 1) % 3) + 1;

create table training_keypoint (subject integer, ordinal integer, content text);
insert into training_keypoint values (1, 1, '本课要点：熟记道路交通安全法中关于驾驶证申领、记分和处罚的规定。');
insert into training_keypoint values (1, 2, '学习提示：每观看满一个学习周期，系统自动记录理论学时，每天最多计入4学时。');
insert into training_keypoint values (2, 1, '本课要点：倒车入库时控制车速，观察后视镜中库角与车身的距离，及时修正方向。');
insert into training_keypoint values (2, 2, '坡道定点停车与起步：停车时车身距边线30厘米以内，起步时不得后溜。');
insert into training_keypoint values (2, 3, '学习提示：每观看满一个学习周期，系统自动记录理论学时，每天最多计入4学时。');
insert into training_keypoint values (3, 1, '本课要点：通过路口前减速观察，礼让行人，按导向车道行驶。');
insert into training_keypoint values (3, 2, '夜间行驶正确使用灯光，会车时提前改用近光灯。');

-- Seconds credited per learner and video, and per learner and day.
create table training_progress (usercode text, videoid text, learned integer, primary key (usercode, videoid));
insert into training_progress values ('510104199203154321', 'V2002', 20);
insert into training_progress values ('510104199203154321', 'V2003', 15);
create table training_day (usercode text, day text, seconds integer, primary key (usercode, day));
-- The busy learner's day total is dated: sample-days.sql.
-- Saves the stand-in is told to refuse (a test's way of making a save fail).
create table training_save_fault (usercode text primary key, remaining integer);

-- Booking: the coach assigned per subject, the coaches' slots (a week around today), bookings.
create table training_assignment (usercode text primary key, coach2 text, coach3 text);
insert into training_assignment values ('510104199203154321', 'JL0002', 'JL0001');
insert into training_assignment values ('510104199411112222', 'JL0001', 'JL0001');
create table training_coach_profile (coach_id text primary key, photo text);
insert into training_coach_profile values ('JL0001', 'http://127.0.0.1:3600/Tessalane/images/coach-zhang.png');
create table training_slot (
    aboutid text primary key, coach_id text, aboutdate text, datetype text, abouttime text, starts text, aboutnum integer, branum text
);
-- The slots are dated: sample-days.sql makes them.
create table training_booking (
    aboutinfoid integer primary key autoincrement, usercode text, aboutid text, subject text, perdritype text, state text
);
insert into training_booking (usercode, aboutid, subject, perdritype, state)
    values ('510104199203154321', printf('JL0002-%s-1', date('now', '+8 hours', '-2 day')), '2', 'C1', 'booked');

-- The online-learning goods, and the orders made for it.
create table training_goods (
    goods_id text primary key, name text, type text, depcode text, price text, num text, detail text, image text
);
insert into training_goods values ('100201500001', '网络理论学习服务（科目一、科目四）', '1', '510100', '1990', '1',
    '开通后可在手机上观看全部理论教学视频，观看时间按规定计入理论学时（每天最多4学时）。' || char(10) ||
    '有效期一年，支持科目一、科目四全部课程。详情请访问 http://127.0.0.1:3600/Tessalane/help.html',
    'http://127.0.0.1:3600/Tessalane/images/school-lantian.png');
create table training_order (
    order_id text primary key, usercode text, goods_id text, amount integer, create_date text, state text
);
