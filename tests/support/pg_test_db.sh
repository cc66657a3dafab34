#!/usr/bin/env bash
# Throwaway PostgreSQL databases for tests that read through ODBC (PostgreSQL
# stands in for the source SQL Server). Each test program makes its own role
# and database of the same name, so programs run in parallel, and drops them
# at its end.
#
#   pg_test_db.sh create NAME    role NAME (password from $PG_TEST_PASSWORD)
#                                owning a new UTF-8 database NAME
#   pg_test_db.sh run NAME       runs the SQL on stdin in database NAME as
#                                role NAME, stopping at the first error
#   pg_test_db.sh drop NAME      drops database and role; no error if absent
#
# Needs the local cluster started by scripts/setup and root (or the postgres
# user) to reach it as its superuser.
set -euo pipefail

PG_HOST=127.0.0.1
PG_PORT=5432

die() {
  echo "pg_test_db: error: $*" >&2
  exit 1
}

admin_psql() {
  if [[ $(id -un) == postgres ]]; then
    psql -X -q -v ON_ERROR_STOP=1 "$@"
  else
    runuser -u postgres -- psql -X -q -v ON_ERROR_STOP=1 "$@"
  fi
}

[[ $# -eq 2 ]] || die "usage: $0 create|run|drop NAME"
command=$1
name=$2
# The name goes into SQL as an identifier.
[[ $name =~ ^[a-z_][a-z0-9_]*$ ]] || die "invalid name '$name' (lower-case letters, digits, _)"
pg_isready -q -h "$PG_HOST" -p "$PG_PORT" \
  || die "PostgreSQL does not answer on $PG_HOST:$PG_PORT; run scripts/setup"

case $command in
  create)
    [[ -n ${PG_TEST_PASSWORD:-} ]] || die "PG_TEST_PASSWORD is not set"
    # psql variables keep the password off the command line.
    admin_psql -v name="$name" -v password="$PG_TEST_PASSWORD" <<'SQL'
CREATE ROLE :"name" LOGIN PASSWORD :'password';
CREATE DATABASE :"name" OWNER :"name" ENCODING 'UTF8' TEMPLATE template0;
SQL
    ;;
  run)
    { printf 'SET client_encoding = %s;\nSET ROLE "%s";\n' "'UTF8'" "$name"; cat; } \
      | admin_psql -d "$name"
    ;;
  drop)
    admin_psql -v name="$name" <<'SQL'
DROP DATABASE IF EXISTS :"name" WITH (FORCE);
DROP ROLE IF EXISTS :"name";
SQL
    ;;
  *)
    die "unknown command '$command' (create, run, drop)"
    ;;
esac
