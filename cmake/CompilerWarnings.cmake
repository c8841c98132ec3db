# One interface target carries the warning flags; every target links it PRIVATE.
add_library(ostrel_warnings INTERFACE)

set(OSTREL_GCC_WARNINGS
    -Wall                  # the common set
    -Wextra                # and the less common one
    -Wpedantic             # no compiler extensions sneak in
    -Wshadow               # a local hiding another is usually a mistake
    -Wnon-virtual-dtor     # deleting through a base pointer must be safe
    -Wold-style-cast       # casts say what they do
    -Wcast-align           # misaligned access is undefined
    -Woverloaded-virtual   # a hidden virtual is rarely meant
    -Wconversion           # narrowing loses data silently
    -Wsign-conversion      # so does a sign change
    -Wnull-dereference     # the optimiser found a null path
    -Wdouble-promotion     # float silently widened
    -Wformat=2             # printf-style formats checked against arguments
    -Wimplicit-fallthrough # a switch case runs into the next only when marked
    -Wmisleading-indentation # indentation that lies about the block
    -Wduplicated-cond      # the same condition twice in an if chain
    -Wduplicated-branches  # both branches do the same
    -Wlogical-op           # suspicious use of logical operators
    -Wuseless-cast         # a cast to the type the value already has
    -Wno-missing-field-initializers # g++ 12 flags designated initialisers that rely on member defaults
)

target_compile_options(ostrel_warnings INTERFACE ${OSTREL_GCC_WARNINGS})
if(OSTREL_WARNINGS_AS_ERRORS)
    target_compile_options(ostrel_warnings INTERFACE -Werror)
    # g++ 12 at -O3 reports overlaps inside libstdc++'s std::string concatenation
    # that cannot happen (https://gcc.gnu.org/bugzilla/show_bug.cgi?id=105329);
    # they stay visible as warnings instead of failing the release build.
    target_compile_options(ostrel_warnings INTERFACE -Wno-error=restrict)
endif()
