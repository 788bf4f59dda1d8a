# Records the SHA-256 of each download in SHA256SUMS beside it, in sha256sum's format
# ("HASH  NAME"), so that `sha256sum -c SHA256SUMS` (or certutil on Windows) checks a download.
# Lines of other files that are still there are kept; lines of files gone are dropped.
#   cmake -DFILES="dist/a.zip;dist/b.deb" -P Sha256Sums.cmake
# As CPack's post-build script it takes CPACK_PACKAGE_FILES, which are still in CPack's own
# folder then: their SHA256SUMS goes to the output folder they are copied to next.
if(NOT DEFINED FILES)
  set(FILES ${CPACK_PACKAGE_FILES})
  get_filename_component(into "${CPACK_OUTPUT_FILE_PREFIX}" ABSOLUTE
    BASE_DIR "${CPACK_PACKAGE_DIRECTORY}")
endif()
foreach(file ${FILES})
  get_filename_component(folder ${file} DIRECTORY)
  if(DEFINED into)
    set(folder ${into})
  endif()
  get_filename_component(name ${file} NAME)
  set(sums ${folder}/SHA256SUMS)
  set(kept)
  if(EXISTS ${sums})
    file(STRINGS ${sums} lines)
    foreach(line ${lines})
      # (The name is taken out first: ${...} in a condition is read before MATCHES sets it.)
      if(line MATCHES "^[0-9a-f]+  (.+)$")
        set(listed "${CMAKE_MATCH_1}")
        if(NOT listed STREQUAL name AND EXISTS "${folder}/${listed}")
          list(APPEND kept "${line}")
        endif()
      endif()
    endforeach()
  endif()
  file(SHA256 ${file} hash)
  list(APPEND kept "${hash}  ${name}")
  list(JOIN kept "\n" text)
  file(WRITE ${sums}.new "${text}\n")
  file(RENAME ${sums}.new ${sums})
endforeach()
