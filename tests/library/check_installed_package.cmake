# Checks of the installed korvel, run by ctest through `cmake -P` with
# -DSTEP=<step>:
#   install             install the build tree into a fresh prefix under
#                       WORK_DIR; check the file list and the installed program
#   cmake_consumer      build and run a program (and the README example)
#                       against the prefix with find_package(korvel CONFIG)
#   pkgconfig_consumer  build and run the same program with pkg-config
#   manual_page         the installed manual page covers every option and
#                       message, and renders without warnings
#   readme_install      the README's install commands, as written, in a copy
#                       of the source tree without the test packages
# The other -D variables are set in tests/library/CMakeLists.txt.
cmake_minimum_required(VERSION 3.25)

set(PREFIX "${WORK_DIR}/prefix")
set(PNG_SIGNATURE "89504e470d0a1a0a")

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()

# run(<output variable> COMMAND ... [WORKING_DIRECTORY dir]): the command must
# succeed; its standard output is returned.
function(run out)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "WORKING_DIRECTORY" "COMMAND")
  if(NOT arg_WORKING_DIRECTORY)
    set(arg_WORKING_DIRECTORY "${WORK_DIR}")
  endif()
  execute_process(COMMAND ${arg_COMMAND} WORKING_DIRECTORY "${arg_WORKING_DIRECTORY}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
  if(NOT rc EQUAL 0)
    string(JOIN " " command ${arg_COMMAND})
    fail("command failed (${rc}): ${command}\n--- stdout:\n${stdout}\n--- stderr:\n${stderr}")
  endif()
  set(${out} "${stdout}" PARENT_SCOPE)
endfunction()

# A PNG file: signature, then IHDR with the expected width and height.
function(check_png path width height)
  if(NOT EXISTS "${path}")
    fail("no PNG written at ${path}")
  endif()
  file(READ "${path}" head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 16 signature)
  if(NOT signature STREQUAL PNG_SIGNATURE)
    fail("${path} does not begin with the PNG signature: ${head}")
  endif()
  string(SUBSTRING "${head}" 24 8 type)
  math(EXPR hex_width "${width}" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR hex_height "${height}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${head}" 32 8 stored_width)
  string(SUBSTRING "${head}" 40 8 stored_height)
  math(EXPR stored_width "0x${stored_width}")
  math(EXPR stored_height "0x${stored_height}")
  if(NOT type STREQUAL "49484452" OR NOT stored_width EQUAL width OR NOT stored_height EQUAL height)
    fail("${path}: expected IHDR ${width} x ${height}, header ${head}")
  endif()
endfunction()

# What the consumer program prints for the digits 123456 in ASCII: the three
# digit-pair codewords and the five error codewords of the 10 x 10 symbol
# (the worked example of the Data Matrix standard), the L-shaped finder and
# the timing pattern, and a PNG written alike to memory and a stream.
function(check_consumer_output output png_path)
  set(expected_head "codewords: 142 164 186 114 25 5 88 102\nformat: 1\nmatrix: 10 x 10\n")
  string(FIND "${output}" "${expected_head}" at)
  if(NOT at EQUAL 0)
    fail("unexpected consumer output:\n${output}")
  endif()
  string(REGEX MATCHALL "\n[#.]+" rows "${output}")
  list(LENGTH rows row_count)
  if(NOT row_count EQUAL 10)
    fail("expected 10 matrix rows:\n${output}")
  endif()
  list(GET rows 0 top)
  list(GET rows 9 bottom)
  if(NOT top STREQUAL "\n#.#.#.#.#." OR NOT bottom STREQUAL "\n##########")
    fail("finder or timing pattern missing:\n${output}")
  endif()
  set(index 0)
  foreach(row IN LISTS rows)
    string(SUBSTRING "${row}" 1 1 left)
    string(SUBSTRING "${row}" 10 1 right)
    math(EXPR odd "${index} % 2")
    if(NOT left STREQUAL "#" OR (odd AND NOT right STREQUAL "#") OR (NOT odd AND NOT right STREQUAL "."))
      fail("finder or timing pattern wrong in row ${index}:\n${output}")
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  if(NOT output MATCHES "\nimage: 24 x 24\npng: [1-9][0-9]* bytes, stream identical\n")
    fail("PNG in memory and in a stream differ, or wrong image size:\n${output}")
  endif()
  if(NOT output MATCHES "\nmessage 10: Error: The data to encode cant be placed in the current matrix format\\.\n")
    fail("resultMessage gave an unexpected text:\n${output}")
  endif()
  check_png("${png_path}" 24 24)
endfunction()

# The installed program runs from its place: the usage text, and a PNG of
# the right size.
function(check_program program)
  run(usage COMMAND "${program}" -h)
  string(FIND "${usage}" "${BANNER}\nUsage:  korvel [OPTIONS] filename\n" at)
  if(NOT at EQUAL 0)
    fail("unexpected usage text from the installed program:\n${usage}")
  endif()
  run(ignored COMMAND "${program}" -n 2 -d 123456 -m 1 cli.png)
  check_png("${WORK_DIR}/cli.png" 24 24)
endfunction()

# The text between the README's library section markers.
function(readme_library_section out)
  file(READ "${SOURCE_DIR}/README.md" readme)
  string(FIND "${readme}" "<!-- library section: begin -->" begin)
  string(FIND "${readme}" "<!-- library section: end -->" end)
  if(begin EQUAL -1 OR end EQUAL -1 OR end LESS begin)
    fail("README.md has no library section between its markers")
  endif()
  math(EXPR length "${end} - ${begin}")
  string(SUBSTRING "${readme}" ${begin} ${length} section)
  set(${out} "${section}" PARENT_SCOPE)
endfunction()

if(STEP STREQUAL "install")
  file(REMOVE_RECURSE "${WORK_DIR}")
  file(MAKE_DIRECTORY "${WORK_DIR}")
  set(config_args "")
  if(CONFIG)
    set(config_args --config "${CONFIG}")
  endif()
  run(ignored COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" ${config_args})

  # Exactly these files: no helper library of the program, no private header.
  file(GLOB source_headers RELATIVE "${SOURCE_DIR}/include" "${SOURCE_DIR}/include/korvel/*.hpp")
  set(expected
      "${BINDIR}/korvel"
      "${BINDIR}/korvel-verify"
      "${LIBDIR}/cmake/korvel/korvelConfig.cmake"
      "${LIBDIR}/cmake/korvel/korvelConfigVersion.cmake"
      "${LIBDIR}/cmake/korvel/korvelTargets.cmake"
      "${LIBDIR}/pkgconfig/korvel.pc"
      "${MANDIR}/man1/korvel.1")
  if(WITH_SERVER)
    list(APPEND expected "${BINDIR}/korvel-server" "${MANDIR}/man1/korvel-server.1"
         "lib/systemd/system/korvel-server.service")
  endif()
  foreach(header IN LISTS source_headers)
    list(APPEND expected "${INCLUDEDIR}/${header}")
  endforeach()
  foreach(library korvel korvel_verify)
    if(LIB_TYPE STREQUAL "STATIC_LIBRARY")
      list(APPEND expected "${LIBDIR}/lib${library}.a")
    else()
      list(APPEND expected "${LIBDIR}/lib${library}.so" "${LIBDIR}/lib${library}.so.${VERSION_MAJOR}"
           "${LIBDIR}/lib${library}.so.${VERSION}")
    endif()
  endforeach()
  file(GLOB_RECURSE installed RELATIVE "${PREFIX}" LIST_DIRECTORIES false "${PREFIX}/*")
  set(per_config_targets "${installed}")
  list(FILTER per_config_targets INCLUDE REGEX "^${LIBDIR}/cmake/korvel/korvelTargets-[a-z]+\\.cmake$")
  list(LENGTH per_config_targets count)
  if(NOT count EQUAL 1)
    fail("expected one per-configuration targets file, found: ${per_config_targets}")
  endif()
  list(APPEND expected ${per_config_targets})
  set(missing "${expected}")
  list(REMOVE_ITEM missing ${installed})
  set(unexpected "${installed}")
  list(REMOVE_ITEM unexpected ${expected})
  if(missing OR unexpected)
    fail("installed files differ from the expected set\nmissing: ${missing}\nunexpected: ${unexpected}")
  endif()

  # The installed program runs from its new place.
  check_program("${PREFIX}/${BINDIR}/korvel")
  # It finds its verifier helper beside it, with PATH empty.
  run(ignored COMMAND "${CMAKE_COMMAND}" -E env PATH= "${PREFIX}/${BINDIR}/korvel" --verify -n 2 -d 123456 verified.png)
  check_png("${WORK_DIR}/verified.png" 24 24)
  list(LENGTH installed installed_count)
  message(STATUS "installed ${installed_count} files into ${PREFIX}")

elseif(STEP STREQUAL "cmake_consumer")
  # The README's C++ example, taken verbatim from between the library
  # section markers.
  readme_library_section(section)
  # The code contains semicolons, so it is cut out by position, not as a list.
  set(fence "```cpp\n")
  string(FIND "${section}" "${fence}" open)
  string(FIND "${section}" "${fence}" last_open REVERSE)
  if(open EQUAL -1 OR NOT open EQUAL last_open)
    fail("expected exactly one C++ code block in the README library section")
  endif()
  math(EXPR open "${open} + 7")
  string(SUBSTRING "${section}" ${open} -1 example)
  string(FIND "${example}" "```" close)
  if(close EQUAL -1)
    fail("the C++ code block of the README library section is not closed")
  endif()
  string(SUBSTRING "${example}" 0 ${close} example)
  set(build "${WORK_DIR}/cmake-consumer")
  file(REMOVE_RECURSE "${build}" "${WORK_DIR}/readme-run")
  file(MAKE_DIRECTORY "${build}" "${WORK_DIR}/readme-run")
  file(WRITE "${build}/readme_example.cpp" "${example}")

  run(configured COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}/tests/library/consumer" -B "${build}"
      -G "${GENERATOR}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}" "-DCMAKE_BUILD_TYPE=${CONFIG}"
      "-DCMAKE_PREFIX_PATH=${PREFIX}" "-DKORVEL_PREFIX=${PREFIX}"
      "-DREADME_EXAMPLE=${build}/readme_example.cpp"
      "-DCMAKE_CXX_FLAGS=${EXTRA_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${EXTRA_FLAGS}")
  string(REGEX MATCH "korvel::korvel: [^\n]*" target_line "${configured}")
  message(STATUS "${target_line}")
  run(ignored COMMAND "${CMAKE_COMMAND}" --build "${build}" --parallel 2)

  run(output COMMAND "${build}/consumer" "${WORK_DIR}/cmake-consumer.png")
  check_consumer_output("${output}" "${WORK_DIR}/cmake-consumer.png")

  run(readme_output COMMAND "${build}/readme_example" WORKING_DIRECTORY "${WORK_DIR}/readme-run")
  if(NOT readme_output MATCHES "^(##|  )+\n" OR NOT readme_output MATCHES "\n########+\n$")
    fail("unexpected output of the README example:\n${readme_output}")
  endif()
  file(READ "${WORK_DIR}/readme-run/hello.png" head LIMIT 8 HEX)
  if(NOT head STREQUAL PNG_SIGNATURE)
    fail("the README example wrote no PNG file")
  endif()
  message(STATUS "consumer, header checks and README example built and ran against ${PREFIX}")

elseif(STEP STREQUAL "pkgconfig_consumer")
  set(ENV{PKG_CONFIG_PATH} "${PREFIX}/${LIBDIR}/pkgconfig")
  run(version COMMAND "${PKG_CONFIG}" --modversion korvel)
  string(STRIP "${version}" version)
  if(NOT version STREQUAL VERSION)
    fail("pkg-config reports version '${version}', expected ${VERSION}")
  endif()
  run(requires COMMAND "${PKG_CONFIG}" --print-requires-private korvel)
  if(NOT requires MATCHES "^libpng")
    fail("korvel.pc does not name libpng as a private requirement: '${requires}'")
  endif()
  run(cflags COMMAND "${PKG_CONFIG}" --cflags korvel)
  run(libs COMMAND "${PKG_CONFIG}" --libs --static korvel)
  run(libdir COMMAND "${PKG_CONFIG}" --variable=libdir korvel)
  string(STRIP "${libdir}" libdir)
  file(REAL_PATH "${libdir}" libdir)
  file(REAL_PATH "${PREFIX}/${LIBDIR}" expected_libdir)
  if(NOT libdir STREQUAL expected_libdir)
    fail("korvel.pc points at ${libdir}, not at the prefix it was installed into")
  endif()
  if(NOT libs MATCHES "-lkorvel" OR NOT libs MATCHES "-lpng")
    fail("pkg-config --libs --static korvel lacks korvel or libpng: ${libs}")
  endif()
  separate_arguments(cflags UNIX_COMMAND "${cflags}")
  separate_arguments(libs UNIX_COMMAND "${libs}")
  separate_arguments(extra UNIX_COMMAND "${EXTRA_FLAGS}")
  run(ignored COMMAND "${CXX_COMPILER}" -std=c++20 ${extra} ${cflags}
      "${SOURCE_DIR}/tests/library/consumer/consumer.cpp" -o "${WORK_DIR}/pkgconfig-consumer" ${libs}
      "-Wl,-rpath,${libdir}")
  run(output COMMAND "${WORK_DIR}/pkgconfig-consumer" "${WORK_DIR}/pkgconfig-consumer.png")
  check_consumer_output("${output}" "${WORK_DIR}/pkgconfig-consumer.png")
  message(STATUS "consumer built with pkg-config (${cflags} ${libs}) ran")

elseif(STEP STREQUAL "manual_page")
  set(page "${PREFIX}/${MANDIR}/man1/korvel.1")
  file(READ "${page}" roff)
  # Every option of the usage text, in both forms.
  run(usage COMMAND "${PREFIX}/${BINDIR}/korvel" -h)
  string(REGEX MATCHALL "\n   -[a-z] --[a-z]+" options "${usage}")
  list(LENGTH options option_count)
  if(option_count LESS 18)
    fail("found only ${option_count} options in the usage text:\n${usage}")
  endif()
  foreach(option IN LISTS options)
    string(REGEX REPLACE "\n   -([a-z]) --([a-z]+)" "\\1;\\2" forms "${option}")
    list(GET forms 0 letter)
    list(GET forms 1 name)
    string(FIND "${roff}" ".BR \\-${letter} \", \" \\-\\-${name}" at)
    if(at EQUAL -1)
      fail("the manual page does not describe -${letter}, --${name}")
    endif()
  endforeach()
  # Every result message of the program's table.
  file(READ "${SOURCE_DIR}/src/common/result_messages.cpp" messages_source)
  string(REGEX MATCHALL "\"Error: [^\"]*\"" messages "${messages_source}")
  list(LENGTH messages message_count)
  if(message_count LESS 15)
    fail("found only ${message_count} messages in result_messages.cpp")
  endif()
  foreach(message IN LISTS messages)
    string(REGEX REPLACE "^\"(.*)\"$" "\\1" message "${message}")
    string(FIND "${roff}" "${message}" at)
    if(at EQUAL -1)
      fail("the manual page does not list the message \"${message}\"")
    endif()
  endforeach()
  find_program(GROFF groff)
  if(GROFF)
    execute_process(COMMAND "${GROFF}" -man -Tutf8 -P-cbou -ww "${page}" RESULT_VARIABLE rc
                    OUTPUT_VARIABLE rendered ERROR_VARIABLE warnings)
    if(NOT rc EQUAL 0 OR NOT warnings STREQUAL "" OR NOT rendered MATCHES "EXIT STATUS")
      fail("groff could not render the manual page cleanly (${rc}):\n${warnings}")
    endif()
    message(STATUS "manual page renders without warnings")
  else()
    message(STATUS "groff not installed: rendering not checked")
  endif()

elseif(STEP STREQUAL "readme_install")
  # The code block of the library section that installs, line by line; the
  # comments are the shell's.
  readme_library_section(section)
  string(REGEX MATCH "```sh\n(cmake -S [^`]*cmake --install [^`\n]*\n)```" block "${section}")
  if(NOT block)
    fail("the README library section has no sh block of cmake commands ending in cmake --install")
  endif()
  string(REGEX REPLACE "[ \t]+#[^\n]*" "" commands "${CMAKE_MATCH_1}")
  string(REGEX REPLACE "\n$" "" commands "${commands}")
  string(REPLACE "\n" ";" commands "${commands}")

  # A copy of what a source checkout holds, without the fuzz corpora.
  set(source "${WORK_DIR}/source")
  file(REMOVE_RECURSE "${WORK_DIR}")
  file(MAKE_DIRECTORY "${source}")
  foreach(entry CMakeLists.txt README.md bench cmake docs fuzz include programs scripts src tests)
    if(EXISTS "${SOURCE_DIR}/${entry}")
      file(COPY "${SOURCE_DIR}/${entry}" DESTINATION "${source}" PATTERN corpus EXCLUDE)
    endif()
  endforeach()

  # The commands as written, the first word being this cmake. The configure
  # step finds neither GoogleTest nor libdmtx, as on a machine without the
  # test packages (zxing-cpp builds the verifier helper); DESTDIR puts the
  # installation under the work directory.
  set(ENV{DESTDIR} "${WORK_DIR}/stage")
  set(ENV{CXX} "${CXX_COMPILER}")
  set(ENV{CMAKE_BUILD_PARALLEL_LEVEL} 2)
  set(first TRUE)
  foreach(command IN LISTS commands)
    separate_arguments(words UNIX_COMMAND "${command}")
    list(POP_FRONT words program)
    if(NOT program STREQUAL "cmake")
      fail("unexpected command in the README's install block: ${command}")
    endif()
    if(first)
      list(APPEND words -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DKORVEL_READERS=OFF)
      set(first FALSE)
    endif()
    message(STATUS "running: ${command}")
    run(ignored COMMAND "${CMAKE_COMMAND}" ${words} WORKING_DIRECTORY "${source}")
  endforeach()

  file(GLOB_RECURSE installed LIST_DIRECTORIES false "${WORK_DIR}/stage/*")
  foreach(what programs configs headers pages)
    set(${what} "${installed}")
  endforeach()
  list(FILTER programs INCLUDE REGEX "/bin/korvel$")
  list(FILTER configs INCLUDE REGEX "/korvelConfig\\.cmake$")
  list(FILTER headers INCLUDE REGEX "/include/korvel/korvel\\.hpp$")
  list(FILTER pages INCLUDE REGEX "/man1/korvel\\.1$")
  foreach(what programs configs headers pages)
    list(LENGTH ${what} count)
    if(NOT count EQUAL 1)
      fail("expected one installed file for ${what} under ${WORK_DIR}/stage, found: '${${what}}'")
    endif()
  endforeach()
  check_program("${programs}")
  message(STATUS "the README's install commands built and installed korvel: ${programs}")

else()
  fail("unknown STEP '${STEP}'")
endif()
