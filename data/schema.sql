-- Refresh plans and day totals. Every value is text; NULL reads as empty text.
CREATE TABLE data (
  nick TEXT,
  id TEXT,
  times TEXT,
  sort TEXT,
  num TEXT,
  interval TEXT,
  progress TEXT,
  sort1 TEXT,
  numall TEXT,
  today TEXT,
  date1 TEXT
);
-- Not unique: older files may hold two rows of one name.
CREATE INDEX data_nick ON data (nick);

CREATE TABLE num (
  date1 TEXT,
  num TEXT
);
CREATE INDEX num_date1 ON num (date1);
