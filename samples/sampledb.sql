-- The sample database: one table per file in a STANDARD directory.
-- Dates are ISO texts, as SQLite's date functions read them.

CREATE TABLE customers (
  CUSTNO INTEGER PRIMARY KEY,
  COMPANY VARCHAR(40) NOT NULL,
  CITY VARCHAR(30),
  COUNTRY VARCHAR(20),
  PHONE VARCHAR(20),
  CREDIT MONEY
);
INSERT INTO customers VALUES
  (1001, 'Blue Harbour Supplies', 'Paris', 'France', '01 42 11 22 33', 5000),
  (1002, 'Northwind Tools', 'Hamburg', 'Germany', '040 555 210', 12000),
  (1003, 'Kestrel Marine', 'Lisbon', 'Portugal', '21 555 0199', 2500),
  (1004, 'Ostrava Steelworks', 'Ostrava', 'Czech Republic', '596 111 222', 20000),
  (1005, 'Café Lumière', 'Lyon', 'France', '04 78 00 11 22', 800),
  (1006, 'Granite & Sons', 'Aberdeen', 'United Kingdom', '01224 555 777', 7500),
  (1007, 'Vistula Trading', 'Kraków', 'Poland', '12 555 44 33', 3000),
  (1008, 'Sunset Diving', 'Valletta', 'Malta', '2155 5123', NULL);

CREATE TABLE products (
  PARTNO INTEGER PRIMARY KEY,
  DESCRIPTION VARCHAR(40) NOT NULL,
  LISTPRICE MONEY,
  ONHAND INTEGER,
  DISCONTINUED BOOLEAN
);
INSERT INTO products VALUES
  (100, 'Regulator, first stage', 245.50, 12, 0),
  (101, 'Dive computer', 399.00, 5, 0),
  (102, 'Wet suit 5 mm', 189.90, 20, 0),
  (103, 'Fins, open heel', 59.95, 40, 0),
  (104, 'Mask, low volume', 39.00, 35, 0),
  (105, 'Underwater torch', 74.25, 0, 1),
  (106, 'Buoyancy jacket', 310.00, 7, 0);

CREATE TABLE orders (
  ORDERNO INTEGER PRIMARY KEY,
  CUSTNO INTEGER NOT NULL,
  SALEDATE DATE,
  SHIPDATE DATETIME,
  AMOUNTPAID MONEY,
  ITEMSTOTAL MONEY,
  PAYMENT VARCHAR(10)
);
INSERT INTO orders VALUES
  (5001, 1001, '2023-01-09', '2023-01-11 09:30:00', 491.00, 491.00, 'Credit'),
  (5002, 1002, '2023-01-17', '2023-01-20 14:00:00', 0, 798.00, 'Check'),
  (5003, 1001, '2023-02-02', '2023-02-03 08:15:00', 379.80, 379.80, 'Credit'),
  (5004, 1003, '2023-02-14', NULL, 0, 119.90, 'Cash'),
  (5005, 1004, '2023-03-01', '2023-03-06 16:45:00', 1550.00, 1550.00, 'Credit'),
  (5006, 1005, '2023-03-15', '2023-03-16 10:00:00', 78.00, 78.00, 'Cash'),
  (5007, 1006, '2023-04-03', '2023-04-05 11:20:00', 620.00, 620.00, 'Check'),
  (5008, 1002, '2023-04-21', '2023-04-24 13:10:00', 245.50, 245.50, 'Credit'),
  (5009, 1007, '2023-05-08', NULL, 0, 222.75, 'Credit'),
  (5010, 1004, '2023-05-30', '2023-06-02 09:00:00', 399.00, 399.00, 'Check');

CREATE TABLE items (
  ORDERNO INTEGER NOT NULL,
  ITEMNO INTEGER NOT NULL,
  PARTNO INTEGER NOT NULL,
  QTY INTEGER,
  DISCOUNT FLOAT,
  PRIMARY KEY (ORDERNO, ITEMNO)
);
INSERT INTO items VALUES
  (5001, 1, 100, 2, 0), (5002, 1, 101, 2, 0), (5003, 1, 102, 2, 0),
  (5004, 1, 103, 2, 0), (5005, 1, 106, 5, 0), (5006, 1, 104, 2, 0),
  (5007, 1, 106, 2, 0), (5008, 1, 100, 1, 0), (5009, 1, 105, 3, 0),
  (5010, 1, 101, 1, 0), (5001, 2, 104, 0, 0.1), (5005, 2, 103, 0, 0.05);

-- One column of every declared type the database layer maps.
CREATE TABLE alltypes (
  ID AUTOINC PRIMARY KEY,
  F_STRING VARCHAR(20),
  F_CHAR CHAR(5),
  F_SMALLINT SMALLINT,
  F_INTEGER INTEGER,
  F_WORD WORD,
  F_LARGEINT BIGINT,
  F_BOOLEAN BOOLEAN,
  F_FLOAT FLOAT,
  F_CURRENCY MONEY,
  F_BCD NUMERIC(18,4),
  F_DATE DATE,
  F_TIME TIME,
  F_DATETIME DATETIME,
  F_BYTES BYTES(4),
  F_VARBYTES VARBYTES(16),
  F_BLOB BLOB,
  F_MEMO MEMO,
  F_GRAPHIC GRAPHIC,
  F_FMTMEMO FMTMEMO,
  F_GUID GUID
);
INSERT INTO alltypes VALUES
  (1, 'text', 'ABCDE', -12, 123456, 65535, 9000000000, 1, 3.25, 19.99, 1234.5678,
   '2024-02-29', '13:45:30', '2024-02-29 13:45:30', x'01020304', x'CAFE', x'000102',
   'A memo
with two lines', x'89504E47', '{\rtf1 text}', '{6F9619FF-8B86-D011-B42D-00C04FC964FF}'),
  (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
   NULL, NULL, NULL, NULL);
