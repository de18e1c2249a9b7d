# Headers compiled once per target instead of once per source file. Qt's and
# GoogleTest's headers are most of what every source file parses; our own
# headers are left out so that editing one rebuilds only what includes it.
#
# Off by default: with the batched (unity) build a target parses Qt's headers
# only a few times anyway, and the header images cost more system time than
# they save.
#   cmake -DVORPALINE_PRECOMPILED_HEADERS=ON   to build with them
option(VORPALINE_PRECOMPILED_HEADERS "Precompile the Qt and GoogleTest headers" OFF)

set(VORPALINE_PCH_CORE
    <QByteArray> <QDir> <QFile> <QHash> <QList> <QObject> <QPointer> <QString> <QStringList>
    <QTimer> <algorithm> <functional> <memory> <optional>)
set(VORPALINE_PCH_NETWORK ${VORPALINE_PCH_CORE} <QTcpServer> <QTcpSocket>)
set(VORPALINE_PCH_WIDGETS
    ${VORPALINE_PCH_CORE} <QApplication> <QCheckBox> <QLabel> <QLineEdit> <QListWidget>
    <QMainWindow> <QPushButton> <QScrollBar> <QWidget>)
set(VORPALINE_PCH_TEST <gtest/gtest.h>)

# vorpaline_precompile(target header...)
function(vorpaline_precompile target)
  if(VORPALINE_PRECOMPILED_HEADERS)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()
