# The main window: its form (widgets, texts, defaults) and its commands.
morl_add_test(tst_mainwindowform mainwindow/tst_mainwindowform.cpp)
morl_add_test(tst_commands mainwindow/tst_commands.cpp)
# What the window shows around a search: bar, log scrolling, status message, about window.
morl_add_test(tst_searchwindow mainwindow/tst_searchwindow.cpp)
