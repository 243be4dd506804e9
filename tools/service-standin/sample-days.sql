-- The sample data that is dated from today, in the services' time: run after seeding and at every
-- start, so that a data file kept for weeks still has this week's slots, the busy learner's day and
-- the officer's current month. It adds what is missing and never changes a row a user made.

-- Each coach's slots from two days back to a week ahead; slots already there keep their places.
with recursive day(d) as (select -2 union all select d + 1 from day where d < 7),
     period(p, datetype, abouttime, starts) as (values
         (1, '上午', '08:00-10:00', '08:00'), (2, '上午', '10:00-12:00', '10:00'),
         (3, '下午', '14:00-16:00', '14:00'), (4, '下午', '16:00-18:00', '16:00'))
insert or ignore into training_slot
select printf('%s-%s-%d', c.coach_id, date('now', '+8 hours', printf('%+d day', day.d)), period.p), c.coach_id,
    date('now', '+8 hours', printf('%+d day', day.d)), period.datetype, period.abouttime, period.starts,
    case period.p when 2 then 1 else 3 end, printf('B%d', period.p)
from coach c, day, period where c.coach_id in ('JL0001', 'JL0002');

-- The busy learner is ten seconds short of the daily cap today, unless they watched today already.
insert or ignore into training_day values ('510104199411112222', date('now', '+8 hours'), 14390);

-- The officer's current month and the month before have learners: the sample set of an earlier
-- month (named by its first day's 18 learners of subject 1) moves to this one, row by row exactly.
create temporary table if not exists sample_month (start text);
delete from sample_month;
insert into sample_month select day from charts_learner
    where subject = 1 and learners = 18 and day = date(day, 'start of month') and day <> date('now', '+8 hours', 'start of month');
create temporary table if not exists sample_offset (days integer, subject integer, learners integer);
delete from sample_offset;
insert into sample_offset values (0, 1, 18), (3, 2, 9), (6, 3, 6), (9, 4, 3), (12, 0, 10), (-20, 1, 7), (-18, 9, 2), (-15, 0, 4);
delete from charts_learner where exists (select 1 from sample_month m join sample_offset o
    where charts_learner.day = date(m.start, printf('%+d days', o.days)) and charts_learner.subject = o.subject
    and charts_learner.learners = o.learners);
insert into charts_learner
select date('now', '+8 hours', 'start of month', printf('%+d days', o.days)), o.subject, o.learners from sample_offset o
where not exists (select 1 from charts_learner where day = date('now', '+8 hours', 'start of month') and subject = 1 and learners = 18);
drop table sample_month;
drop table sample_offset;
