-- Nollard schema for Microsoft SQL Server.
-- Run by the configuration program (dbadmin create-schema), or by hand:
--   sqlcmd -I -d nollard -i sqlserver.sql
-- (-I: sqlcmd leaves QUOTED_IDENTIFIER off, and the filtered unique index
-- below cannot be made without it; ODBC connections have it on.)
-- Text widths are checked by the program in GBK bytes; Unicode columns (nvarchar) count characters, so these widths are upper bounds.

create table notice (
  ID            nvarchar(7) not null primary key,
  Rdate         datetime2(0),
  money         float,
  status        integer,
  department    nvarchar(10),
  shipname      nvarchar(50),
  company       nvarchar(50),
  checktype     nvarchar(10),
  checkcontent  nvarchar(20),
  leader        nvarchar(6),
  handler       nvarchar(6),
  billcode      nvarchar(7),
  memo_badcheck nvarchar(200),
  receipter     nvarchar(6),
  dengji        bit default 0,
  peixun        bit default 0,
  gongbenfei    bit default 0,
  neibuziliao   bit default 0,
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

create table itemofnotice (
  lineid      int identity(1,1) primary key,
  ID          nvarchar(7) not null,
  itemname    nvarchar(50),
  description nvarchar(255),
  money       float,
  type        nvarchar(20),
  orderx      integer
);
create index itemofnotice_id on itemofnotice (ID, orderx);

create table person (
  name     nvarchar(10),
  nickname nvarchar(8) not null primary key,
  password nvarchar(8),
  typeid   integer,
  checker  integer default 0,
  admin    integer default 0
);

create table company   (name nvarchar(50) not null primary key);
create table buildtype (name nvarchar(20) not null primary key);
create table runtype   (name nvarchar(20) not null primary key);
create table othertype (name nvarchar(20) not null primary key);

create table itemcj (
  name   nvarchar(50) not null primary key,
  orderx integer
);

create table itemcw (
  name   nvarchar(50) not null primary key,
  danjia float,
  type   nvarchar(20),
  orderx integer
);

create table counter (
  onerow     integer not null primary key default 1 check (onerow = 1),
  id         integer not null default 1,
  billcode   integer not null default 1,
  ordercj    integer not null default 0,
  ordercw    integer not null default 0,
  statictime datetime2(0)
);
insert into counter (onerow, id, billcode, ordercj, ordercw) values (1, 1, 1, 0, 0);

create table statistic (
  year       nvarchar(4) not null,
  department nvarchar(10) not null,
  expect     float default 0,
  [1] float default 0, [2] float default 0, [3] float default 0,
  [4] float default 0, [5] float default 0, [6] float default 0,
  [7] float default 0, [8] float default 0, [9] float default 0,
  [10] float default 0, [11] float default 0, [12] float default 0,
  primary key (year, department)
);

create table statistic2 (
  year nvarchar(4) not null,
  type nvarchar(10) not null,
  [1] integer default 0, [2] integer default 0, [3] integer default 0,
  [4] integer default 0, [5] integer default 0, [6] integer default 0,
  [7] integer default 0, [8] integer default 0, [9] integer default 0,
  [10] integer default 0, [11] integer default 0, [12] integer default 0,
  primary key (year, type)
);

-- What happened to each notice, newest last: who did what, the state before
-- and after, and a short detail (the changed fields, the total before and
-- after, the reason, the bill number). Written in the transaction of the
-- change itself. A deletion keeps the notice and its fee lines in snapshot,
-- so that the section leader can restore it.
create table notice_history (
  historyid     int identity(1,1) primary key,
  ID            nvarchar(7) not null,
  acted_at      datetime2(0) not null,
  account       nvarchar(8),
  fullname      nvarchar(10),
  department    nvarchar(10),
  action        nvarchar(20) not null,
  state_before  integer,
  state_after   integer,
  detail        nvarchar(255),
  snapshot      nvarchar(max)
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
  auditid       int identity(1,1) primary key,
  acted_at      datetime2(0) not null,
  account       nvarchar(8),
  fullname      nvarchar(10),
  department    nvarchar(10),
  tablename     nvarchar(20) not null,
  rowkey        nvarchar(50) not null,
  action        nvarchar(20) not null,
  old_values    nvarchar(255),
  new_values    nvarchar(255)
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
