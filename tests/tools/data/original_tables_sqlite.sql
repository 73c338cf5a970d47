-- The twelve tables as an administration's existing database has them:
-- the columns the program reads and writes, no keys, no columns of our own.

create table notice (
  ID varchar(7), Rdate datetime, money double, status integer, department varchar(10),
  shipname varchar(50), company varchar(50), checktype varchar(10), checkcontent varchar(20),
  leader varchar(6), handler varchar(6), billcode varchar(7), memo_badcheck varchar(200),
  receipter varchar(6), dengji boolean, peixun boolean, gongbenfei boolean, neibuziliao boolean
);
create table itemofnotice (
  ID varchar(7), itemname varchar(50), description varchar(255), money double, type varchar(20), orderx integer
);
create table person (
  name varchar(10), nickname varchar(8), password varchar(8), typeid integer, checker integer, admin integer
);
create table company (name varchar(50));
create table buildtype (name varchar(20));
create table runtype (name varchar(20));
create table othertype (name varchar(20));
create table itemcj (name varchar(50), orderx integer);
create table itemcw (name varchar(50), danjia double, type varchar(20), orderx integer);
create table counter (id integer, billcode integer, ordercj integer, ordercw integer, statictime datetime);
insert into counter (id, billcode, ordercj, ordercw) values (1, 1, 0, 0);
create table statistic (
  year varchar(4), department varchar(10), expect double,
  "1" double, "2" double, "3" double, "4" double, "5" double, "6" double,
  "7" double, "8" double, "9" double, "10" double, "11" double, "12" double
);
create table statistic2 (
  year varchar(4), type varchar(10),
  "1" integer, "2" integer, "3" integer, "4" integer, "5" integer, "6" integer,
  "7" integer, "8" integer, "9" integer, "10" integer, "11" integer, "12" integer
);
