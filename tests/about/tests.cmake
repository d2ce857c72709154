# The about window and the command that opens it.
morl_add_test(tst_fenapropos about/tst_fenapropos.cpp)
