# One place for the compiler warnings every target of ours uses.
# VARNHOLD_WERROR turns them into errors (CI sets it).
function(varnhold_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic
        -Wshadow                # a local hiding a member is a classic source of wrong updates
        -Wnon-virtual-dtor      # every base class we delete through has a virtual destructor
        -Woverloaded-virtual
        -Wconversion -Wsign-conversion  # float/int and signed/unsigned mixes are where game maths goes wrong
        -Wold-style-cast
    )
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -Wduplicated-cond -Wlogical-op)
    endif()
    if(VARNHOLD_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
