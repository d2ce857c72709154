# The main window: its form (widgets, texts, defaults) and its commands.
morl_add_test(tst_mainwindowform mainwindow/tst_mainwindowform.cpp)
morl_add_test(tst_commands mainwindow/tst_commands.cpp)
