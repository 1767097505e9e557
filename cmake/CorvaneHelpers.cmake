# Folders that later work fills in are picked up as soon as they hold a CMakeLists.txt,
# so a new library never needs an edit of its parent.
function(corvane_add_optional_subdirectory dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

function(corvane_add_all_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child})
      corvane_add_optional_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# Precompiled headers. Loading one costs about a second and a half (they are 200 to 300 MB),
# so only a library whose many sources parse the same heavy headers has one: the control
# library, whose QML files the QML compiler turns into C++. Test programs
# are one source each, so a set of their own would cost as much as it saves: they all reuse
# the one of corvane_test_pch (tests/CMakeLists.txt). GCC takes a precompiled header only
# where the macros defined when it was made are defined alike now, so every test links the
# same Qt modules (their QT_*_LIB macros switch parts of Qt's headers on), QtTest stays out
# of the set (its headers read QT_TESTCASE_BUILDDIR, which differs from folder to folder),
# and an unusable header is a build error rather than a silently slow build.
set(CORVANE_TEST_QT_MODULES Qt6::Gui Qt6::Network Qt6::Qml Qt6::Quick Qt6::QuickControls2 Qt6::Multimedia)
# A test's own code needs line tables for its backtraces, not the optimizer's best or full
# debug information, which together cost more than half of a test's compile time. The
# libraries under test keep the build type's flags.
set(CORVANE_TEST_COMPILE_OPTIONS -Werror=invalid-pch $<$<CONFIG:RelWithDebInfo>:-O1 -g1>)

#   corvane_precompile_qt(target)
function(corvane_precompile_qt target)
  target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/QuickPrecompiled.h)
  target_compile_options(${target} PRIVATE -Werror=invalid-pch)
endfunction()

function(corvane_use_test_pch target)
  target_link_libraries(${target} PRIVATE Qt6::Test ${CORVANE_TEST_QT_MODULES})
  target_precompile_headers(${target} REUSE_FROM corvane_test_pch)
  target_compile_options(${target} PRIVATE ${CORVANE_TEST_COMPILE_OPTIONS})
  # A test's moc output is included by its own source ("tst_x.moc"), which leaves the
  # collected moc file empty unless a header of its own declares a QObject: loading the
  # header set for an empty file would cost more than compiling it.
  get_target_property(sources ${target} SOURCES)
  set(moc_headers FALSE)
  foreach(source IN LISTS sources)
    get_filename_component(path ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(path MATCHES "\\.h$" AND EXISTS ${path})
      file(STRINGS ${path} declares REGEX "Q_OBJECT|Q_GADGET")
      if(declares)
        set(moc_headers TRUE)
      endif()
    endif()
  endforeach()
  if(NOT moc_headers)
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/mocs_compilation.cpp
      TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
  endif()
endfunction()

# Sanitizer trees (CORVANE_SANITIZE) build and run only the tests their sanitizer watches:
# those whose "<folder under tests>/<name>" matches CORVANE_SANITIZE_TESTS. The others are
# still defined, so their folders' settings apply, but stay out of every build and of ctest;
# the tree's target corvane_sanitized_tests builds the watched ones.
function(corvane_test_wanted name out)
  set(wanted TRUE)
  if(CORVANE_SANITIZE)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
    if(NOT "${folder}/${name}" MATCHES "${CORVANE_SANITIZE_TESTS}")
      set(wanted FALSE)
    endif()
  endif()
  set(${out} ${wanted} PARENT_SCOPE)
endfunction()

# Defines the test unless a sanitizer tree leaves it out (see above).
function(corvane_register_test name)
  corvane_test_wanted(${name} wanted)
  if(NOT wanted)
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
    return()
  endif()
  if(CORVANE_SANITIZE)
    add_dependencies(corvane_sanitized_tests ${name})
  endif()
  add_test(NAME ${name} COMMAND ${name} ${ARGN})
endfunction()

# One C++ test program from one source file (plus extra sources), run by ctest offscreen.
#   corvane_add_test(tst_name SOURCES a.cpp [b.cpp] LIBS lib... [QML] [TIMEOUT s] [ENV k=v...])
function(corvane_add_test name)
  cmake_parse_arguments(T "QML" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  qt_add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  corvane_use_test_pch(${name})
  if(T_QML)
    target_link_libraries(${name} PRIVATE corvane_qml_plugins)
  endif()
  set_target_properties(${name} PROPERTIES MACOSX_BUNDLE OFF WIN32_EXECUTABLE OFF)
  corvane_register_test(${name})
  if(NOT TEST ${name})
    return()
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_QUICK_CONTROLS_STYLE=Basic;${CORVANE_SANITIZER_ENV};${T_ENV}"
    TIMEOUT ${T_TIMEOUT})
endfunction()

# A Qt Quick Test program over the tst_*.qml files of one folder.
#   corvane_add_quick_test(tst_name DIR folder [LIBS ...] [TIMEOUT s])
function(corvane_add_quick_test name)
  cmake_parse_arguments(T "" "DIR;TIMEOUT" "LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  qt_add_executable(${name} ${PROJECT_SOURCE_DIR}/tests/common/quick_test_main.cpp)
  target_compile_definitions(${name} PRIVATE
    QUICK_TEST_SOURCE_DIR="${T_DIR}" CORVANE_QUICK_TEST_NAME=${name})
  target_link_libraries(${name} PRIVATE Qt6::QuickTest Qt6::Quick corvane_qml_plugins corvane_test_support ${T_LIBS})
  corvane_use_test_pch(${name})
  corvane_register_test(${name} -input ${T_DIR})
  if(NOT TEST ${name})
    return()
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_QUICK_CONTROLS_STYLE=Basic"
    TIMEOUT ${T_TIMEOUT})
endfunction()
