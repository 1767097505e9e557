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

# One C++ test program from one source file (plus extra sources), run by ctest offscreen.
#   corvane_add_test(tst_name SOURCES a.cpp [b.cpp] LIBS lib... [QML] [TIMEOUT s] [ENV k=v...])
function(corvane_add_test name)
  cmake_parse_arguments(T "QML" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  qt_add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  if(T_QML)
    target_link_libraries(${name} PRIVATE corvane_qml_plugins)
  endif()
  set_target_properties(${name} PROPERTIES MACOSX_BUNDLE OFF WIN32_EXECUTABLE OFF)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_QUICK_CONTROLS_STYLE=Basic;${T_ENV}"
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
  add_test(NAME ${name} COMMAND ${name} -input ${T_DIR})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_QUICK_CONTROLS_STYLE=Basic"
    TIMEOUT ${T_TIMEOUT})
endfunction()
