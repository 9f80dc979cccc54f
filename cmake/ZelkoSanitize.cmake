# -DZELKO_SANITIZE=ON builds everything with ASan and UBSan; the test command then runs
# with the suppressions in tests/sanitizers/ for leaks that belong to GLib, fontconfig and X.
if(ZELKO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
