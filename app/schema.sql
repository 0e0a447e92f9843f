-- The records program's database: the association's twelve tables. Every column but the key is
-- nullable and has no default, so a row holds exactly what the forms wrote. The text is utf8mb4
-- compared without regard to case, except the password, which is compared byte for byte.
-- The unique indexes back the forms' own checks (user names, members of a task or a team) when
-- two administrators save at the same moment.
SET NAMES utf8mb4;

CREATE TABLE users (
  id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  name VARCHAR(100),
  surname VARCHAR(100),
  username VARCHAR(100),
  password VARCHAR(100) COLLATE utf8mb4_bin,
  email VARCHAR(100),
  phone VARCHAR(50),
  address VARCHAR(200),
  date_of_birth DATETIME,
  member_from DATETIME,
  active INT,
  user_type INT,
  created_by INT,
  created_on DATETIME,
  UNIQUE KEY users_username (username)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE clients (
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
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE event (
  id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  title VARCHAR(255),
  status VARCHAR(20),
  description TEXT,
  event_date DATETIME,
  created_by INT,
  created_on DATETIME
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE news (
  id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  title VARCHAR(255),
  status VARCHAR(20),
  description TEXT,
  created_by INT,
  created_on DATETIME
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE task (
  id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  title VARCHAR(255),
  status VARCHAR(20),
  description TEXT,
  created_by INT,
  created_on DATETIME
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE team (
  id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  title VARCHAR(255),
  status VARCHAR(20),
  description TEXT,
  created_by INT,
  created_on DATETIME
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE task_member (
  id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  task_id INT,
  user_id INT,
  UNIQUE KEY task_member_pair (task_id, user_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE team_member (
  id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  team_id INT,
  user_id INT,
  UNIQUE KEY team_member_pair (team_id, user_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE article (
  id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  title VARCHAR(255),
  description TEXT,
  code VARCHAR(20),
  quantity DOUBLE,
  added_by INT,
  added_on DATETIME,
  status CHAR(6)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE article_in_out (
  id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  article_id BIGINT,
  quantity DOUBLE,
  price DOUBLE,
  added_by INT,
  added_on DATETIME,
  note TEXT,
  type CHAR(3)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE payment (
  id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  client_id INT,
  payment_date DATETIME,
  amount DOUBLE,
  added_by INT,
  added_on DATETIME,
  note TEXT,
  type SMALLINT
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE cost (
  id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  client_id INT,
  invoice_no VARCHAR(25),
  invoice_date DATETIME,
  amount DOUBLE,
  added_by INT,
  added_on DATETIME,
  note TEXT
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
