-- The officers' statistics. Coach reviews: head counts of coaches per review score bucket.
create table charts_coach_review (bucket text primary key, coaches integer);
insert into charts_coach_review values ('AAA', 3);
insert into charts_coach_review values ('BBB', 5);
insert into charts_coach_review values ('CCC', 12);
insert into charts_coach_review values ('DDD', 7);

-- Learners counted by the day they entered a subject (subject 1..10) or graduated (subject 0).
-- The current month's rows are dated (sample-days.sql), so the screens' default period has data;
-- 2015-02 has no learners at all and 2015-03 only graduates.
create table charts_learner (day text, subject integer, learners integer);
insert into charts_learner values ('2015-01-05', 1, 3);
insert into charts_learner values ('2015-01-09', 3, 2);
insert into charts_learner values ('2015-01-20', 0, 4);
insert into charts_learner values ('2015-03-02', 0, 5);
insert into charts_learner values ('2015-03-16', 0, 3);
insert into charts_learner values ('2015-04-01', 1, 12);
insert into charts_learner values ('2015-04-03', 2, 8);
insert into charts_learner values ('2015-04-08', 3, 5);
insert into charts_learner values ('2015-04-15', 4, 2);
insert into charts_learner values ('2015-04-20', 10, 1);
insert into charts_learner values ('2015-04-28', 0, 6);
