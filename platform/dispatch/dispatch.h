#pragma once
// The dispatch interface with the platform's C names; blocks are std::function.

#include "platform/dispatch/DispatchGroup.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/DispatchSemaphore.h"
#include "platform/dispatch/DispatchSource.h"
#include "platform/dispatch/DispatchTypes.h"

#include <cstddef>
#include <mutex>

using dispatch_queue_t = std::shared_ptr<DispatchQueue>;
using dispatch_group_t = std::shared_ptr<DispatchGroup>;
using dispatch_semaphore_t = std::shared_ptr<DispatchSemaphore>;
using dispatch_source_t = std::shared_ptr<DispatchSource>;
using dispatch_source_type_t = DispatchSourceType;
using dispatch_once_t = std::once_flag;

enum dispatch_queue_attr_t { DISPATCH_QUEUE_SERIAL, DISPATCH_QUEUE_CONCURRENT };

inline constexpr long DISPATCH_QUEUE_PRIORITY_HIGH = 2;
inline constexpr long DISPATCH_QUEUE_PRIORITY_DEFAULT = 0;
inline constexpr long DISPATCH_QUEUE_PRIORITY_LOW = -2;
inline constexpr long DISPATCH_QUEUE_PRIORITY_BACKGROUND = -32768;
// Passed to dispatch_queue_get_label for the label of the current queue.
inline constexpr std::nullptr_t DISPATCH_CURRENT_QUEUE_LABEL = nullptr;

dispatch_queue_t dispatch_queue_create(const char* label, dispatch_queue_attr_t attribute);
dispatch_queue_t dispatch_queue_create(const char* label, std::nullptr_t);
dispatch_queue_t dispatch_get_main_queue();
dispatch_queue_t dispatch_get_global_queue(long priority, unsigned long flags);
const char* dispatch_queue_get_label(const dispatch_queue_t& queue);
void dispatch_set_target_queue(const dispatch_queue_t& queue, const dispatch_queue_t& target);

void dispatch_async(const dispatch_queue_t& queue, dispatch_block_t block);
// Runs the block on the calling thread once the queue reaches it. Calling it for a serial
// queue from a block of that same queue deadlocks, as on the platform; callers that may be on
// the queue already detect it with queue-specific data.
void dispatch_sync(const dispatch_queue_t& queue, const dispatch_block_t& block);
void dispatch_barrier_async(const dispatch_queue_t& queue, dispatch_block_t block);
void dispatch_barrier_sync(const dispatch_queue_t& queue, const dispatch_block_t& block);
void dispatch_after(dispatch_time_t when, const dispatch_queue_t& queue, dispatch_block_t block);
void dispatch_apply(size_t iterations, const dispatch_queue_t& queue, const std::function<void(size_t)>& block);
void dispatch_once(dispatch_once_t* predicate, const dispatch_block_t& block);

dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta);

void dispatch_queue_set_specific(const dispatch_queue_t& queue, const void* key, void* context, dispatch_function_t destructor);
void* dispatch_queue_get_specific(const dispatch_queue_t& queue, const void* key);
// The value for the key on the current queue or the queues it targets.
void* dispatch_get_specific(const void* key);

void dispatch_suspend(const dispatch_queue_t& queue);
void dispatch_resume(const dispatch_queue_t& queue);

dispatch_group_t dispatch_group_create();
void dispatch_group_enter(const dispatch_group_t& group);
void dispatch_group_leave(const dispatch_group_t& group);
void dispatch_group_async(const dispatch_group_t& group, const dispatch_queue_t& queue, dispatch_block_t block);
void dispatch_group_notify(const dispatch_group_t& group, const dispatch_queue_t& queue, dispatch_block_t block);
long dispatch_group_wait(const dispatch_group_t& group, dispatch_time_t timeout);

dispatch_semaphore_t dispatch_semaphore_create(long value);
long dispatch_semaphore_wait(const dispatch_semaphore_t& semaphore, dispatch_time_t timeout);
long dispatch_semaphore_signal(const dispatch_semaphore_t& semaphore);

dispatch_source_t dispatch_source_create(dispatch_source_type_t type, uintptr_t handle, unsigned long mask, const dispatch_queue_t& queue);
void dispatch_source_set_timer(const dispatch_source_t& source, dispatch_time_t start, uint64_t interval, uint64_t leeway);
void dispatch_source_set_event_handler(const dispatch_source_t& source, dispatch_block_t handler);
void dispatch_source_set_cancel_handler(const dispatch_source_t& source, dispatch_block_t handler);
void dispatch_source_cancel(const dispatch_source_t& source);
long dispatch_source_testcancel(const dispatch_source_t& source);
void dispatch_suspend(const dispatch_source_t& source);
void dispatch_resume(const dispatch_source_t& source);
