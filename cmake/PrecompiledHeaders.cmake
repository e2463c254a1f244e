# Precompiled headers: the Qt, standard library and GoogleTest headers that
# nearly every file includes are parsed once per family of targets instead
# of once per file. A family shares one header (REUSE_FROM) where its
# targets compile with the same flags; GCC checks that with -Winvalid-pch
# (which CMake adds), so a mismatch shows up as a warning, not a wrong build.
# ccache leaves compiles that use a precompiled header uncached (unless its
# sloppiness allows them): a tree built through it keeps its cache hits.
if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
  set(_skywell_pch_default OFF)
else()
  set(_skywell_pch_default ON)
endif()
option(SKYWELL_PRECOMPILE_HEADERS "Precompile the Qt, standard and GoogleTest headers" ${_skywell_pch_default})

set(SKYWELL_PCH_CORE
  <algorithm> <chrono> <cstdint> <cstring> <functional> <memory> <mutex> <optional> <vector>
  <QByteArray> <QDateTime> <QDir> <QFile> <QFileInfo> <QList> <QObject> <QString> <QStringList>
  <QTimer> <QUrl>)
set(SKYWELL_PCH_TEST <QCoreApplication> <QProcess> <QTemporaryDir> <QSignalSpy> <QTest>)
set(SKYWELL_PCH_WIDGETS
  <QApplication> <QCheckBox> <QComboBox> <QDialog> <QDialogButtonBox> <QGridLayout> <QHBoxLayout>
  <QLabel> <QLineEdit> <QPushButton> <QVBoxLayout> <QWidget>)

# Called once all targets exist (end of the top CMakeLists.txt).
function(skywell_precompile_headers)
  if(NOT SKYWELL_PRECOMPILE_HEADERS)
    return()
  endif()
  # The library and the programs built on it without widgets share its flags.
  target_precompile_headers(skywell_lib PRIVATE ${SKYWELL_PCH_CORE})
  set_target_properties(skywell_app PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM skywell_lib)
  # The back ends compile with their libraries' flags (libpulse's -D_REENTRANT).
  target_precompile_headers(skywell_platform PRIVATE ${SKYWELL_PCH_CORE})
  if(NOT SKYWELL_BUILD_GUI)
    foreach(_target skywell skywell-cdwrite skywell-tuner)
      set_target_properties(${_target} PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM skywell_lib)
    endforeach()
  endif()

  # The library's tests: one executable.
  if(TARGET skywell_tests)
    target_precompile_headers(skywell_tests PRIVATE ${SKYWELL_PCH_CORE} <gtest/gtest.h> <gmock/gmock.h>
      ${SKYWELL_PCH_TEST})
  endif()

  if(SKYWELL_BUILD_GUI)
    target_precompile_headers(skywell_ui PRIVATE ${SKYWELL_PCH_CORE} ${SKYWELL_PCH_WIDGETS})
    foreach(_target skywell skywell_dialoghooks)
      set_target_properties(${_target} PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM skywell_ui)
    endforeach()
    # The window tests and checks: many small executables with the same
    # flags, one header built with the first of them.
    if(TARGET windowcheck)
      target_precompile_headers(windowcheck PRIVATE ${SKYWELL_PCH_CORE} ${SKYWELL_PCH_WIDGETS} ${SKYWELL_PCH_TEST})
      get_property(_ui_targets DIRECTORY ${PROJECT_SOURCE_DIR}/tests/ui PROPERTY BUILDSYSTEM_TARGETS)
      foreach(_target ${_ui_targets})
        get_target_property(_type ${_target} TYPE)
        get_target_property(_libraries ${_target} LINK_LIBRARIES)
        # Those with the web engine compile with other flags.
        if(_type STREQUAL "EXECUTABLE" AND NOT _target STREQUAL "windowcheck"
           AND NOT "skywell_urlfinder_browser" IN_LIST _libraries)
          set_target_properties(${_target} PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM windowcheck)
        endif()
      endforeach()
    endif()
  endif()
endfunction()
