#include "platform/linux/audio/DefaultSink.h"

#include "platform/linux/PipeWireInit.h"
#include "platform/linux/audio/SinkTransport.h"

#include <pipewire/extensions/metadata.h>
#include <pipewire/pipewire.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

namespace vp::audio {

namespace {

constexpr const char* kDefaultSinkKey = "default.audio.sink";

Properties propertiesOf(const spa_dict* dict) {
    Properties out;
    if (!dict) return out;
    const spa_dict_item* item;
    spa_dict_for_each(item, dict) {
        if (item->key && item->value) out[item->key] = item->value;
    }
    return out;
}

bool is(const char* a, const char* b) {
    return a && b && std::strcmp(a, b) == 0;
}

}  // namespace

// An Audio/Sink node, bound for its full properties (the registry gives
// only a few).
struct SinkNode {
    DefaultSink::Impl* owner = nullptr;
    pw_proxy* proxy = nullptr;
    spa_hook listener{};
    Properties properties;
};

struct DefaultSink::Impl {
    explicit Impl(MainQueue& queue) : main(queue) {}

    MainQueue& main;
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_registry* registry = nullptr;
    spa_hook coreListener{}, registryListener{}, metadataListener{};
    pw_proxy* metadata = nullptr;
    std::uint32_t metadataId = SPA_ID_INVALID;
    std::map<std::uint32_t, std::unique_ptr<SinkNode>> sinks;
    std::optional<std::string> defaultName;

    mutable std::mutex mutex;
    std::optional<AudioTransport> current;  // guarded: read from the main thread
    // Main thread only: set by watch(), read by what update() posts.
    std::shared_ptr<std::function<void()>> changed = std::make_shared<std::function<void()>>();

    void connect(const std::string& remote);
    void update();
    void addSink(std::uint32_t id, const char* type, const spa_dict* props);
    void addMetadata(std::uint32_t id, const char* type);
    void remove(std::uint32_t id);
    void teardown();

    static void onGlobal(void* data, std::uint32_t id, std::uint32_t, const char* type, std::uint32_t,
                         const spa_dict* props);
    static void onGlobalRemove(void* data, std::uint32_t id);
    static void onNodeInfo(void* data, const pw_node_info* info);
    static int onProperty(void* data, std::uint32_t subject, const char* key, const char* type, const char* value);
    static void onCoreError(void* data, std::uint32_t id, int seq, int res, const char* message);
};

namespace {

const pw_core_events kCoreEvents = [] {
    pw_core_events e{};
    e.version = PW_VERSION_CORE_EVENTS;
    e.error = &DefaultSink::Impl::onCoreError;
    return e;
}();

const pw_registry_events kRegistryEvents = [] {
    pw_registry_events e{};
    e.version = PW_VERSION_REGISTRY_EVENTS;
    e.global = &DefaultSink::Impl::onGlobal;
    e.global_remove = &DefaultSink::Impl::onGlobalRemove;
    return e;
}();

const pw_node_events kNodeEvents = [] {
    pw_node_events e{};
    e.version = PW_VERSION_NODE_EVENTS;
    e.info = &DefaultSink::Impl::onNodeInfo;
    return e;
}();

const pw_metadata_events kMetadataEvents = [] {
    pw_metadata_events e{};
    e.version = PW_VERSION_METADATA_EVENTS;
    e.property = &DefaultSink::Impl::onProperty;
    return e;
}();

}  // namespace

void DefaultSink::Impl::connect(const std::string& remote) {
    initialisePipeWire();
    loop = pw_thread_loop_new("velvetpane-sound", nullptr);
    if (!loop) return;
    context = pw_context_new(pw_thread_loop_get_loop(loop), nullptr, 0);
    if (!context || pw_thread_loop_start(loop) < 0) return;
    pw_thread_loop_lock(loop);
    pw_properties* props = remote.empty() ? nullptr : pw_properties_new(PW_KEY_REMOTE_NAME, remote.c_str(), nullptr);
    core = pw_context_connect(context, props, 0);
    if (core) {
        pw_core_add_listener(core, &coreListener, &kCoreEvents, this);
        registry = pw_core_get_registry(core, PW_VERSION_REGISTRY, 0);
        if (registry) pw_registry_add_listener(registry, &registryListener, &kRegistryEvents, this);
    }
    pw_thread_loop_unlock(loop);
}

// The loop's thread; tells the main queue when the answer changed.
void DefaultSink::Impl::update() {
    std::optional<AudioTransport> next;
    if (defaultName)
        for (const auto& [id, sink] : sinks)
            if (auto it = sink->properties.find(PW_KEY_NODE_NAME); it != sink->properties.end() && it->second == *defaultName)
                next = transportOfSink(sink->properties);
    {
        std::lock_guard lock(mutex);
        if (current == next) return;
        current = next;
    }
    main.post([changed = changed] {
        if (*changed) (*changed)();
    });
}

void DefaultSink::Impl::addSink(std::uint32_t id, const char* type, const spa_dict* props) {
    if (!is(props ? spa_dict_lookup(props, PW_KEY_MEDIA_CLASS) : nullptr, "Audio/Sink")) return;
    auto sink = std::make_unique<SinkNode>();
    sink->owner = this;
    sink->properties = propertiesOf(props);
    sink->proxy = static_cast<pw_proxy*>(pw_registry_bind(registry, id, type, PW_VERSION_NODE, 0));
    if (!sink->proxy) return;
    pw_node_add_listener(reinterpret_cast<pw_node*>(sink->proxy), &sink->listener, &kNodeEvents, sink.get());
    sinks[id] = std::move(sink);
    update();
}

void DefaultSink::Impl::addMetadata(std::uint32_t id, const char* type) {
    if (metadata) return;
    metadata = static_cast<pw_proxy*>(pw_registry_bind(registry, id, type, PW_VERSION_METADATA, 0));
    if (!metadata) return;
    metadataId = id;
    pw_metadata_add_listener(reinterpret_cast<pw_metadata*>(metadata), &metadataListener, &kMetadataEvents, this);
}

void DefaultSink::Impl::remove(std::uint32_t id) {
    if (auto it = sinks.find(id); it != sinks.end()) {
        spa_hook_remove(&it->second->listener);
        pw_proxy_destroy(it->second->proxy);
        sinks.erase(it);
    } else if (metadata && id == metadataId) {
        spa_hook_remove(&metadataListener);
        pw_proxy_destroy(metadata);
        metadata = nullptr;
        defaultName.reset();
    }
    update();
}

void DefaultSink::Impl::onGlobal(void* data, std::uint32_t id, std::uint32_t, const char* type, std::uint32_t,
                                 const spa_dict* props) {
    auto* self = static_cast<Impl*>(data);
    if (is(type, PW_TYPE_INTERFACE_Node)) self->addSink(id, type, props);
    else if (is(type, PW_TYPE_INTERFACE_Metadata) && is(props ? spa_dict_lookup(props, "metadata.name") : nullptr, "default"))
        self->addMetadata(id, type);
}

void DefaultSink::Impl::onGlobalRemove(void* data, std::uint32_t id) {
    static_cast<Impl*>(data)->remove(id);
}

void DefaultSink::Impl::onNodeInfo(void* data, const pw_node_info* info) {
    auto* sink = static_cast<SinkNode*>(data);
    if (!info || !(info->change_mask & PW_NODE_CHANGE_MASK_PROPS)) return;
    for (auto& [key, value] : propertiesOf(info->props)) sink->properties[key] = value;
    sink->owner->update();
}

int DefaultSink::Impl::onProperty(void* data, std::uint32_t subject, const char* key, const char*, const char* value) {
    auto* self = static_cast<Impl*>(data);
    if (subject != PW_ID_CORE) return 0;
    if (!key) self->defaultName.reset();  // every property cleared
    else if (is(key, kDefaultSinkKey)) self->defaultName = defaultSinkName(value);
    else return 0;
    self->update();
    return 0;
}

// The server went away: nothing is known about the sound any more.
void DefaultSink::Impl::onCoreError(void* data, std::uint32_t id, int, int res, const char*) {
    auto* self = static_cast<Impl*>(data);
    if (id != PW_ID_CORE || res != -EPIPE) return;
    self->defaultName.reset();
    self->update();
}

void DefaultSink::Impl::teardown() {
    if (!loop) return;
    pw_thread_loop_lock(loop);
    for (auto& [id, sink] : sinks) {
        spa_hook_remove(&sink->listener);
        pw_proxy_destroy(sink->proxy);
    }
    sinks.clear();
    if (metadata) {
        spa_hook_remove(&metadataListener);
        pw_proxy_destroy(metadata);
    }
    if (registry) {
        spa_hook_remove(&registryListener);
        pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry));
    }
    if (core) {
        spa_hook_remove(&coreListener);
        pw_core_disconnect(core);
    }
    pw_thread_loop_unlock(loop);
    pw_thread_loop_stop(loop);
    if (context) pw_context_destroy(context);
    pw_thread_loop_destroy(loop);
}

DefaultSink::DefaultSink(MainQueue& main, std::string remote) : impl_(std::make_unique<Impl>(main)) {
    impl_->connect(remote);
}

DefaultSink::~DefaultSink() {
    *impl_->changed = nullptr;
    impl_->teardown();
}

std::optional<AudioTransport> DefaultSink::transport() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->current;
}

void DefaultSink::watch(std::function<void()> changed) {
    *impl_->changed = std::move(changed);
}

}  // namespace vp::audio
