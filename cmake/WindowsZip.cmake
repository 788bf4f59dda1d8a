# Writes OUT/NAME.zip, the Windows download: the programs (stripped), how to run them, and the
# licences of the runtime that static linking puts into them, taken from the installed
# packages' own texts; and its SHA-256 in OUT/SHA256SUMS.
#   cmake -DSOURCE=... -DOUT=... -DNAME=... -DVERSION=... -DSTRIP=... -DPROGRAMS="a.exe;b.exe" \
#     -P WindowsZip.cmake
set(stage ${OUT}/${NAME})
file(REMOVE_RECURSE ${stage} ${OUT}/${NAME}.zip)
file(MAKE_DIRECTORY ${stage}/licenses)

foreach(program ${PROGRAMS})
  get_filename_component(name ${program} NAME)
  execute_process(COMMAND ${STRIP} -o ${stage}/${name} ${program} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot strip ${program}")
  endif()
endforeach()

# Texts with Windows line ends, for every Notepad.
function(write_text to text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${to} "${text}")
endfunction()

function(read_text from into)
  if(NOT EXISTS ${from})
    message(FATAL_ERROR "${from} is missing: scripts/install-deps installs the package")
  endif()
  file(READ ${from} text)
  set(${into} "${text}" PARENT_SCOPE)
endfunction()

read_text(${SOURCE}/resources/README-windows.txt readme)
string(CONFIGURE "${readme}" readme @ONLY)  # @NAME@ and @VERSION@
write_text(${stage}/README-windows.txt "${readme}")

# libstdc++ and libgcc: GPL 3 with the GCC Runtime Library Exception, cut from GCC's notice.
read_text(/usr/share/doc/gcc-mingw-w64-base/copyright gcc)
set(last_words "requirements of the license of GCC.")
string(FIND "${gcc}" "GCC RUNTIME LIBRARY EXCEPTION" start)
string(FIND "${gcc}" "${last_words}" end)
if(start LESS 0 OR end LESS start)
  message(FATAL_ERROR "the GCC Runtime Library Exception is not where it was in GCC's notice")
endif()
string(LENGTH "${last_words}" length)
math(EXPR length "${end} + ${length} - ${start}")
string(SUBSTRING "${gcc}" ${start} ${length} exception)
write_text(${stage}/licenses/gcc-runtime-library-exception.txt "${exception}\n")
read_text(/usr/share/common-licenses/GPL-3 gpl)
write_text(${stage}/licenses/GPL-3.txt "${gpl}")
# The mingw-w64 runtime and winpthreads: the project's notice, every licence in it.
read_text(/usr/share/doc/mingw-w64-common/copyright mingw)
write_text(${stage}/licenses/mingw-w64.txt "${mingw}")
write_text(${stage}/licenses/README.txt
"The programs in this folder are linked statically with:

- the GCC runtime (libstdc++, libgcc), under the GNU General Public License version 3
  (GPL-3.txt) with the GCC Runtime Library Exception (gcc-runtime-library-exception.txt),
  which permits programs compiled with GCC to carry them under terms of their own choice;
- the mingw-w64 runtime and its winpthreads library, under the licences in mingw-w64.txt
  (mostly the Zope Public License 2.1 and the MIT (expat) licence, some parts public
  domain).
")

execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${NAME}.zip --format=zip ${NAME}
  WORKING_DIRECTORY ${OUT} RESULT_VARIABLE failed)
file(REMOVE_RECURSE ${stage})
if(failed)
  message(FATAL_ERROR "cannot write ${OUT}/${NAME}.zip")
endif()
set(FILES ${OUT}/${NAME}.zip)
include(${CMAKE_CURRENT_LIST_DIR}/Sha256Sums.cmake)
message(STATUS "Wrote ${OUT}/${NAME}.zip and ${OUT}/SHA256SUMS")
