# One place for the compiler warnings every target of ours uses.
# VARNHOLD_WERROR turns them into errors (CI sets it).
function(varnhold_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic
        -Wnon-virtual-dtor      # every base class we delete through has a virtual destructor
        -Woverloaded-virtual
        -Wconversion -Wsign-conversion  # float/int and signed/unsigned mixes are where game maths goes wrong
        -Wold-style-cast
    )
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # GCC's plain -Wshadow also flags every constructor parameter named after the member it
        # initialises, which is our style; locals hiding locals are the faults worth the noise.
        target_compile_options(${target} PRIVATE -Wshadow=local -Wduplicated-cond -Wlogical-op)
    else()
        target_compile_options(${target} PRIVATE -Wshadow)
    endif()
    if(VARNHOLD_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
