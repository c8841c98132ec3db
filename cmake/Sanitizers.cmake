# AddressSanitizer with UndefinedBehaviorSanitizer for the asan preset.
add_library(ostrel_sanitizers INTERFACE)
if(OSTREL_SANITIZE)
    target_compile_options(ostrel_sanitizers INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(ostrel_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
