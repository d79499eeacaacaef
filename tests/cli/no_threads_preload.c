/* Preloaded into a test run of the program: every thread creation fails, as
   it does for a process that has reached its thread limit. */
#include <errno.h>
#include <pthread.h>

int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*), void* argument) {
    (void)thread;
    (void)attributes;
    (void)start;
    (void)argument;
    return EAGAIN;
}
