#!/usr/bin/env bash
# screenshot-main.sh [BUILD_DIR]: renders the main window over a small demo catalogue to
# docs/main-window.png, on the offscreen platform and with a settings folder of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-gui}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

db=$work/demo.db3
sqlite3 "$db" <<'SQL'
CREATE TABLE tablatures (id INTEGER PRIMARY KEY, title VARCHAR(100), artist VARCHAR(100),
  album VARCHAR(100), year INTEGER, words VARCHAR(100), music VARCHAR(100), filename VARCHAR(270),
  filesize INTEGER, filedate VARCHAR(20));
CREATE TABLE directories (id INTEGER PRIMARY KEY, directory VARCHAR(270));
CREATE TABLE errors (id INTEGER PRIMARY KEY, filename VARCHAR(270), error VARCHAR(100));
CREATE TABLE dbinfo (iKey TEXT, iValue TEXT);
INSERT INTO dbinfo VALUES ('db_ver', '3');
INSERT INTO directories(directory) VALUES ('/home/ana/Tabs');
INSERT INTO tablatures(title, artist, album, year, words, music, filename, filesize, filedate) VALUES
  ('Morning Tide', 'Harbour Lights', 'Salt and Stone', 2004, 'J. Reyes', 'J. Reyes', '/home/ana/Tabs/Harbour Lights/Morning Tide.gp5', 48213, '2021-03-14 10:22'),
  ('Lantern Road', 'Harbour Lights', 'Salt and Stone', 2004, 'J. Reyes', 'M. Okafor', '/home/ana/Tabs/Harbour Lights/Lantern Road.gp5', 39001, '2021-03-14 10:25'),
  ('Paper Kites', 'Harbour Lights', 'Northbound', 2008, '', '', '/home/ana/Tabs/Harbour Lights/Paper Kites.gp4', 22550, '2019-11-02 18:40'),
  ('Copper Sky', 'The Quiet Engines', 'Static Bloom', 1999, 'L. Varga', 'L. Varga', '/home/ana/Tabs/Quiet Engines/Copper Sky.ptb', 15872, '2018-06-30 09:12'),
  ('Slow Machines', 'The Quiet Engines', 'Static Bloom', 1999, 'L. Varga', 'T. Lind', '/home/ana/Tabs/Quiet Engines/Slow Machines.gp3', 12288, '2018-06-30 09:15'),
  ('Glass Garden', 'Wren & Willow', 'Evergreen', 2015, 'S. Park', 'S. Park', '/home/ana/Tabs/Wren/Glass Garden.gpx', 102400, '2022-01-09 21:03'),
  ('Drifter''s Waltz', 'Wren & Willow', 'Evergreen', 2015, '', '', '/home/ana/Tabs/Wren/Drifters Waltz.tg', 8704, '2022-01-09 21:05'),
  ('Etude No. 3', '', '', NULL, '', '', '/home/ana/Tabs/Studies/etude3.tef', 4096, '2017-05-21 14:00');
CREATE INDEX iartist ON tablatures(artist);
CREATE INDEX ialbum ON tablatures(album);
SQL

mkdir -p "$work/config/Quiravel" "$work/data"
printf '[Main]\nDatabaseName=%s\n[Lang]\nLanguage=en\n' "$db" >"$work/config/Quiravel/config.ini"
mkdir -p "$root/docs"
XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen \
    "$build/quiravel" --screenshot "$root/docs/main-window.png"
echo "$root/docs/main-window.png"
