-- The records program's tables that the data-access tests post to: members and users, persons,
-- and donations. Strict mode is the server's default, so a row that breaks a rule is refused.
CREATE TABLE IF NOT EXISTS users (
  id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  name VARCHAR(100),
  surname VARCHAR(100),
  username VARCHAR(100),
  password VARCHAR(100),
  email VARCHAR(100),
  phone VARCHAR(50),
  address VARCHAR(200),
  date_of_birth DATETIME,
  member_from DATETIME,
  active INT,
  user_type INT,
  created_by INT,
  created_on DATETIME
) CHARACTER SET utf8mb4;

CREATE TABLE IF NOT EXISTS clients (
  id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  full_name VARCHAR(201),
  address VARCHAR(200),
  city VARCHAR(100),
  phone VARCHAR(50),
  email VARCHAR(100),
  active INT,
  unique_private_no VARCHAR(20),
  bank_name VARCHAR(100),
  bank_account_no VARCHAR(50),
  bank_account_name VARCHAR(100),
  created_by INT,
  created_on DATETIME,
  date_of_birth DATETIME,
  member_from DATETIME,
  user_type INT
) CHARACTER SET utf8mb4;

CREATE TABLE IF NOT EXISTS payment (
  id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  client_id INT NOT NULL,
  payment_date DATETIME,
  amount DOUBLE,
  added_by INT,
  added_on DATETIME,
  note TEXT,
  type SMALLINT,
  CONSTRAINT payment_client_positive CHECK (client_id >= 1)
) CHARACTER SET utf8mb4;

-- A table keyed by two columns, for the statements of a composite key.
CREATE TABLE IF NOT EXISTS payment_share (
  payment_id BIGINT NOT NULL,
  line_no INT NOT NULL,
  amount DOUBLE,
  note VARCHAR(100),
  PRIMARY KEY (payment_id, line_no)
) CHARACTER SET utf8mb4;
