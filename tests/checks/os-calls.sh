#!/usr/bin/env bash
# Only platform/ talks to the operating system: everything else reaches files and folders
# through the Os it is handed (platform/Os.h), so that tests can make any call fail and a
# Windows implementation can stand in. In the core and the CLI, paths and texts convert only
# through platform/PathText.h: a narrow string made into a path, or a path's native bytes,
# would mean the ANSI code page on Windows. Tests, benchmarks and the demo keep their own
# file helpers.
set -uo pipefail
cd "${1:-.}"

status=0
# forbid PATTERN WHY FILES...: reports every line of FILES matching the extended regex.
forbid() {
  local pattern=$1 why=$2
  shift 2
  local hits
  # Comments say what they like; code is what counts.
  hits=$(grep -nE "$pattern" "$@" 2>/dev/null | grep -vE '^[^:]+:[0-9]+:[[:space:]]*//')
  if [ -n "$hits" ]; then
    echo "$why:" >&2
    echo "$hits" >&2
    status=1
  fi
}

mapfile -t outside < <(git ls-files 'index/*' 'gamedb/*' 'tree/*' 'images/*' 'codec/*' 'app/*' 'cli/*' |
  grep -E '\.(h|cpp)$')
mapfile -t core_and_cli < <(printf '%s\n' "${outside[@]}" | grep -vE '^app/(qt|win32)/')

forbid '#include <(fcntl|unistd|dirent|sys/stat|sys/file|sys/types|fstream|io\.h|direct\.h)' \
  'system headers for files outside platform/' "${outside[@]}"
forbid '(^|[^A-Za-z0-9_.>:])(::)?(open|openat|creat|opendir|readdir|fdopendir|fopen|freopen|rename|renameat|renameat2|unlink|unlinkat|rmdir|mkdir|mkdirat|flock|lockf|fcntl|fsync|fdatasync|stat|lstat|fstat|fstatat|realpath|link|symlink|readlink|chdir|truncate|ftruncate)\(' \
  'direct OS calls outside platform/' "${outside[@]}"
forbid 'std::(i|o)?fstream|std::filebuf|(std::|fs::|filesystem::)(recursive_)?directory_iterator' \
  'file streams or folder iterators outside platform/' "${outside[@]}"
forbid '(fs|filesystem)::(exists|remove|remove_all|rename|copy|copy_file|create_directory|create_directories|create_symlink|canonical|weakly_canonical|file_size|status|symlink_status|is_regular_file|is_directory|is_symlink|last_write_time|permissions|resize_file|read_symlink|space)\(' \
  'std::filesystem calls on the disk outside platform/' "${outside[@]}"
forbid '\.(native|c_str|string|wstring|generic_string)\(\)' \
  'a path (or string) taken as native bytes in the core or the CLI; use PathText.h' \
  "${core_and_cli[@]}"
forbid '(fs|filesystem)::path\([^)]' \
  'a path made from a narrow string in the core or the CLI; use PathText.h' "${core_and_cli[@]}"
exit $status
