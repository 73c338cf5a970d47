-- Nollard schema for the embedded SQLite database.
-- Run by the configuration program (dbadmin create-schema), or by hand:
--   sqlite3 nollard.db < sqlite.sql
-- Text widths are checked by the program in GBK bytes; SQLite keeps them as declared types only.

create table notice (
  ID            varchar(7) not null primary key,
  Rdate         datetime,
  money         double precision,
  status        integer,
  department    varchar(10),
  shipname      varchar(50),
  company       varchar(50),
  checktype     varchar(10),
  checkcontent  varchar(20),
  leader        varchar(6),
  handler       varchar(6),
  billcode      varchar(7),
  memo_badcheck varchar(200),
  receipter     varchar(6),
  dengji        boolean default 0,
  peixun        boolean default 0,
  gongbenfei    boolean default 0,
  neibuziliao   boolean default 0,
  -- Raised by every store of the row, so a workstation can tell that the
  -- notice changed since it read it.
  revision      integer not null default 0
);
-- The lists: a section's or a handler's notices in one state, newest first;
-- the search reads the numbers from the index while it walks the dates.
create index notice_department_status on notice (department, status, Rdate);
create index notice_handler_status on notice (handler, status, Rdate);
create index notice_department_rdate on notice (department, Rdate, ID);
create index notice_handler_rdate on notice (handler, Rdate, ID);
create index notice_status on notice (status);
-- The ledger: notices by bill number.
create index notice_billcode on notice (billcode);
-- A bill number is printed on a numbered paper form: no two notices may
-- carry the same one, whichever program writes it.
create unique index notice_billcode_unique on notice (billcode) where billcode <> '';
-- The bill window: a section's notices in one state, newest first, searched by
-- any part of the notice number or the bill number; the index holds both, so a
-- search tests the rows it passes over without reading each of them.
create index notice_bill_search on notice (department, status, Rdate, ID, billcode);
-- The search by any part of a notice number: every three characters of each
-- number in a full-text index, kept in step with the notices by triggers.
-- Its rows are found by the number they carry, so they stay right whatever
-- happens to the notices' row ids (a VACUUM renumbers them).
create virtual table notice_search using fts5 (ID, tokenize = 'trigram');
create trigger notice_search_insert after insert on notice begin
  insert into notice_search (ID) values (new.ID);
end;
create trigger notice_search_delete after delete on notice begin
  delete from notice_search where rowid in (
    select rowid from notice_search
    where notice_search match '"' || replace(old.ID, '"', '""') || '"' and ID = old.ID);
end;
create trigger notice_search_update after update of ID on notice begin
  delete from notice_search where rowid in (
    select rowid from notice_search
    where notice_search match '"' || replace(old.ID, '"', '""') || '"' and ID = old.ID);
  insert into notice_search (ID) values (new.ID);
end;

create table itemofnotice (
  lineid      integer primary key autoincrement,
  ID          varchar(7) not null,
  itemname    varchar(50),
  description varchar(255),
  money       double precision,
  type        varchar(20),
  orderx      integer
);
create index itemofnotice_id on itemofnotice (ID, orderx);

create table person (
  name     varchar(10),
  nickname varchar(8) not null primary key,
  password varchar(8),
  typeid   integer,
  checker  integer default 0,
  admin    integer default 0
);

create table company   (name varchar(50) not null primary key);
create table buildtype (name varchar(20) not null primary key);
create table runtype   (name varchar(20) not null primary key);
create table othertype (name varchar(20) not null primary key);

create table itemcj (
  name   varchar(50) not null primary key,
  orderx integer
);

create table itemcw (
  name   varchar(50) not null primary key,
  danjia double precision,
  type   varchar(20),
  orderx integer
);

create table counter (
  onerow     integer not null primary key default 1 check (onerow = 1),
  id         integer not null default 1,
  billcode   integer not null default 1,
  ordercj    integer not null default 0,
  ordercw    integer not null default 0,
  statictime datetime
);
insert into counter (onerow, id, billcode, ordercj, ordercw) values (1, 1, 1, 0, 0);

create table statistic (
  year       varchar(4) not null,
  department varchar(10) not null,
  expect     double precision default 0,
  "1" double precision default 0, "2" double precision default 0, "3" double precision default 0,
  "4" double precision default 0, "5" double precision default 0, "6" double precision default 0,
  "7" double precision default 0, "8" double precision default 0, "9" double precision default 0,
  "10" double precision default 0, "11" double precision default 0, "12" double precision default 0,
  primary key (year, department)
);

create table statistic2 (
  year varchar(4) not null,
  type varchar(10) not null,
  "1" integer default 0, "2" integer default 0, "3" integer default 0,
  "4" integer default 0, "5" integer default 0, "6" integer default 0,
  "7" integer default 0, "8" integer default 0, "9" integer default 0,
  "10" integer default 0, "11" integer default 0, "12" integer default 0,
  primary key (year, type)
);

-- What happened to each notice, newest last: who did what, the state before
-- and after, and a short detail (the changed fields, the total before and
-- after, the reason, the bill number). Written in the transaction of the
-- change itself. A deletion keeps the notice and its fee lines in snapshot,
-- so that the section leader can restore it.
create table notice_history (
  historyid     integer primary key autoincrement,
  ID            varchar(7) not null,
  acted_at      datetime not null,
  account       varchar(8),
  fullname      varchar(10),
  department    varchar(10),
  action        varchar(20) not null,
  state_before  integer,
  state_after   integer,
  detail        varchar(255),
  snapshot      text
);
create index notice_history_id_time on notice_history (ID, acted_at, historyid);
-- The deleted notices of a section.
create index notice_history_action on notice_history (action, department);

-- Who changed which row of the master data (accounts with their rights and
-- roles, the fee item catalogues and their order, the name lists), when, and
-- the values before and after as text; never a password. Written in the
-- transaction of the change itself. department is the section whose data it
-- is: a section leader reads the rows of the own section.
create table masterdata_audit (
  auditid       integer primary key autoincrement,
  acted_at      datetime not null,
  account       varchar(8),
  fullname      varchar(10),
  department    varchar(10),
  tablename     varchar(20) not null,
  rowkey        varchar(50) not null,
  action        varchar(20) not null,
  old_values    varchar(255),
  new_values    varchar(255)
);
create index masterdata_audit_time on masterdata_audit (acted_at, auditid);
create index masterdata_audit_department on masterdata_audit (department, acted_at);

-- The version of this schema. The program tells the user at start when the
-- database holds an older one, and dbadmin upgrade brings it here.
create table schemaversion (
  onerow  integer not null primary key default 1 check (onerow = 1),
  version integer not null
);
insert into schemaversion (onerow, version) values (1, 4);
