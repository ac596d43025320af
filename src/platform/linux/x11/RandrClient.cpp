#include "platform/linux/x11/RandrClient.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace vp::x11 {

namespace {

// The screen's size in millimetres follows from a 96 dpi convention: X has
// no other source for it once the size changes.
int millimetres(int pixels) {
    return std::max(1, int(pixels * 25.4 / 96.0 + 0.5));
}

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> own(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

std::string describe(xcb_generic_error_t* error) {
    std::string text = "X error " + std::to_string(error->error_code) + " (request " +
                       std::to_string(error->major_code) + "." + std::to_string(error->minor_code) + ")";
    std::free(error);
    return text;
}

std::vector<std::uint8_t> propertyBytes(xcb_randr_get_output_property_reply_t* reply) {
    if (!reply || reply->format != 8) return {};
    const std::uint8_t* data = xcb_randr_get_output_property_data(reply);
    return {data, data + xcb_randr_get_output_property_data_length(reply)};
}

}  // namespace

RandrClient::RandrClient(const std::string& display) {
    int screenNumber = 0;
    c_ = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    const char* env = std::getenv("DISPLAY");
    displayName_ = display.empty() ? (env ? env : "") : display;
    if (xcb_connection_has_error(c_)) {
        error_ = "cannot connect to the X server " + displayName_;
        return;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    root_ = it.data->root;
    auto version = own(xcb_randr_query_version_reply(c_, xcb_randr_query_version(c_, 1, 6), nullptr));
    if (!version || version->major_version < 1 || (version->major_version == 1 && version->minor_version < 3)) {
        error_ = "the X server " + displayName_ + " has no RandR 1.3";
        return;
    }
    edidAtom_ = atom("EDID");
    connectorTypeAtom_ = atom("ConnectorType");
}

RandrClient::~RandrClient() {
    if (c_) xcb_disconnect(c_);
}

bool RandrClient::lost() const {
    return c_ && xcb_connection_has_error(c_) != 0;
}

std::string RandrClient::serverVendor() const {
    const xcb_setup_t* setup = xcb_get_setup(c_);
    return {xcb_setup_vendor(setup), std::size_t(xcb_setup_vendor_length(setup))};
}

std::uint32_t RandrClient::atom(const std::string& name) {
    auto reply = own(xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::uint16_t(name.size()), name.c_str()), nullptr));
    return reply ? reply->atom : 0;
}

std::string RandrClient::atomName(std::uint32_t atom) {
    if (auto it = atomNames_.find(atom); it != atomNames_.end()) return it->second;
    auto reply = own(xcb_get_atom_name_reply(c_, xcb_get_atom_name(c_, atom), nullptr));
    std::string name = reply ? std::string(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get())) : "";
    return atomNames_[atom] = name;
}

namespace {

// The resources reply, from a probe or from the server's current knowledge.
struct Resources {
    std::uint32_t timestamp = 0, configTimestamp = 0;
    std::vector<xcb_randr_crtc_t> crtcs;
    std::vector<xcb_randr_output_t> outputs;
    std::vector<RandrMode> modes;
};

template <typename Reply, typename Crtcs, typename Outputs, typename Modes, typename Names>
Resources resources(const Reply& r, Crtcs crtcs, Outputs outputs, Modes modes, Names names) {
    Resources out{r->timestamp, r->config_timestamp, {}, {}, {}};
    out.crtcs.assign(crtcs(r.get()), crtcs(r.get()) + r->num_crtcs);
    out.outputs.assign(outputs(r.get()), outputs(r.get()) + r->num_outputs);
    const std::uint8_t* name = names(r.get());
    const xcb_randr_mode_info_t* m = modes(r.get());
    for (int i = 0; i < r->num_modes; ++i) {
        out.modes.push_back({m[i].id, std::string(reinterpret_cast<const char*>(name), m[i].name_len), m[i].width,
                             m[i].height, modeRefresh(m[i].dot_clock, m[i].htotal, m[i].vtotal, m[i].mode_flags)});
        name += m[i].name_len;
    }
    return out;
}

}  // namespace

std::optional<RandrScreen> RandrClient::read(bool probe) {
    if (!ok()) return std::nullopt;
    auto rangeCookie = xcb_randr_get_screen_size_range(c_, root_);
    auto primaryCookie = xcb_randr_get_output_primary(c_, root_);
    auto geometryCookie = xcb_get_geometry(c_, root_);
    Resources res;
    if (probe) {
        auto r = own(xcb_randr_get_screen_resources_reply(c_, xcb_randr_get_screen_resources(c_, root_), nullptr));
        if (!r) return std::nullopt;
        res = resources(r, xcb_randr_get_screen_resources_crtcs, xcb_randr_get_screen_resources_outputs,
                        xcb_randr_get_screen_resources_modes, xcb_randr_get_screen_resources_names);
    } else {
        auto r = own(xcb_randr_get_screen_resources_current_reply(
            c_, xcb_randr_get_screen_resources_current(c_, root_), nullptr));
        if (!r) return std::nullopt;
        res = resources(r, xcb_randr_get_screen_resources_current_crtcs,
                        xcb_randr_get_screen_resources_current_outputs, xcb_randr_get_screen_resources_current_modes,
                        xcb_randr_get_screen_resources_current_names);
    }

    RandrScreen s;
    s.root = root_;
    s.timestamp = res.timestamp;
    s.configTimestamp = res.configTimestamp;
    s.modes = std::move(res.modes);

    // Every request goes out before the first reply is awaited: one round
    // trip for the whole state instead of one per object.
    const int numCrtcs = int(res.crtcs.size()), numOutputs = int(res.outputs.size());
    const xcb_randr_crtc_t* crtcIds = res.crtcs.data();
    const xcb_randr_output_t* outputIds = res.outputs.data();
    std::vector<xcb_randr_get_crtc_info_cookie_t> crtcCookies;
    std::vector<xcb_randr_get_crtc_gamma_size_cookie_t> gammaCookies;
    for (int i = 0; i < numCrtcs; ++i) {
        crtcCookies.push_back(xcb_randr_get_crtc_info(c_, crtcIds[i], s.configTimestamp));
        gammaCookies.push_back(xcb_randr_get_crtc_gamma_size(c_, crtcIds[i]));
    }
    std::vector<xcb_randr_get_output_info_cookie_t> outputCookies;
    std::vector<xcb_randr_get_output_property_cookie_t> edidCookies, typeCookies;
    for (int i = 0; i < numOutputs; ++i) {
        outputCookies.push_back(xcb_randr_get_output_info(c_, outputIds[i], s.configTimestamp));
        edidCookies.push_back(xcb_randr_get_output_property(c_, outputIds[i], edidAtom_, XCB_ATOM_ANY, 0, 256, 0, 0));
        typeCookies.push_back(
            xcb_randr_get_output_property(c_, outputIds[i], connectorTypeAtom_, XCB_ATOM_ANY, 0, 1, 0, 0));
    }

    if (auto range = own(xcb_randr_get_screen_size_range_reply(c_, rangeCookie, nullptr))) {
        s.minWidth = range->min_width;
        s.minHeight = range->min_height;
        s.maxWidth = range->max_width;
        s.maxHeight = range->max_height;
    }
    if (auto primary = own(xcb_randr_get_output_primary_reply(c_, primaryCookie, nullptr))) s.primary = primary->output;
    if (auto geometry = own(xcb_get_geometry_reply(c_, geometryCookie, nullptr))) {
        s.width = geometry->width;
        s.height = geometry->height;
        s.widthMM = millimetres(s.width);
        s.heightMM = millimetres(s.height);
    }
    for (int i = 0; i < numCrtcs; ++i) {
        auto info = own(xcb_randr_get_crtc_info_reply(c_, crtcCookies[i], nullptr));
        auto gamma = own(xcb_randr_get_crtc_gamma_size_reply(c_, gammaCookies[i], nullptr));
        if (!info) continue;
        RandrCrtc crtc{crtcIds[i], info->x, info->y, info->width, info->height, info->mode, info->rotation, {}, {},
                       gamma ? gamma->size : 0};
        auto* outs = xcb_randr_get_crtc_info_outputs(info.get());
        crtc.outputs.assign(outs, outs + info->num_outputs);
        auto* possible = xcb_randr_get_crtc_info_possible(info.get());
        crtc.possible.assign(possible, possible + info->num_possible_outputs);
        s.crtcs.push_back(std::move(crtc));
    }
    for (int i = 0; i < numOutputs; ++i) {
        auto info = own(xcb_randr_get_output_info_reply(c_, outputCookies[i], nullptr));
        auto edid = own(xcb_randr_get_output_property_reply(c_, edidCookies[i], nullptr));
        auto type = own(xcb_randr_get_output_property_reply(c_, typeCookies[i], nullptr));
        if (!info) continue;
        RandrOutput o;
        o.id = outputIds[i];
        o.name.assign(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
                      info->name_len);
        o.connected = info->connection == XCB_RANDR_CONNECTION_CONNECTED;
        o.crtc = info->crtc;
        o.widthMM = int(info->mm_width);
        o.heightMM = int(info->mm_height);
        o.preferredModes = info->num_preferred;
        auto* crtcs = xcb_randr_get_output_info_crtcs(info.get());
        o.crtcs.assign(crtcs, crtcs + info->num_crtcs);
        auto* outModes = xcb_randr_get_output_info_modes(info.get());
        // A mode added by hand that the driver also lists comes twice.
        for (int m = 0; m < info->num_modes; ++m)
            if (std::find(o.modes.begin(), o.modes.end(), outModes[m]) == o.modes.end()) o.modes.push_back(outModes[m]);
        auto* clones = xcb_randr_get_output_info_clones(info.get());
        o.clones.assign(clones, clones + info->num_clones);
        auto bytes = propertyBytes(edid.get());
        o.edid = parseEdid(bytes);
        o.edidBroken = !bytes.empty() && (!o.edid || !o.edid->problem.empty());
        o.edidBytes = std::move(bytes);
        if (type && type->format == 32 && type->num_items == 1)
            o.connectorType = atomName(*reinterpret_cast<const std::uint32_t*>(xcb_randr_get_output_property_data(type.get())));
        s.outputs.push_back(std::move(o));
    }
    assignDisplayIds(s.outputs);
    return s;
}

std::string RandrClient::setCrtc(XId crtc, const CrtcConfig& config, std::uint32_t configTimestamp) {
    auto cookie = xcb_randr_set_crtc_config(c_, crtc, XCB_CURRENT_TIME, configTimestamp, std::int16_t(config.x),
                                            std::int16_t(config.y), config.mode, config.rotation,
                                            std::uint32_t(config.outputs.size()), config.outputs.data());
    xcb_generic_error_t* error = nullptr;
    auto reply = own(xcb_randr_set_crtc_config_reply(c_, cookie, &error));
    if (error) return describe(error);
    if (!reply) return "the X server did not answer";
    if (reply->status != XCB_RANDR_SET_CONFIG_SUCCESS)
        return reply->status == XCB_RANDR_SET_CONFIG_INVALID_CONFIG_TIME ? "the layout changed meanwhile"
                                                                        : "the X server refused the CRTC setting";
    return {};
}

std::string RandrClient::setSize(int width, int height) {
    auto cookie = xcb_randr_set_screen_size_checked(c_, root_, std::uint16_t(width), std::uint16_t(height),
                                                    std::uint32_t(millimetres(width)), std::uint32_t(millimetres(height)));
    if (xcb_generic_error_t* error = xcb_request_check(c_, cookie)) return describe(error);
    return {};
}

// The order keeps every intermediate state valid: CRTCs that lose or change
// their outputs are freed first, the screen grows to hold both the old and
// the new arrangement, CRTCs take their new settings, then the screen
// shrinks to the new arrangement. `touched` collects each CRTC's setting
// from before its first change, for putting it back.
std::string RandrClient::applySteps(const RandrScreen& before, const LayoutPlan& plan,
                                    std::map<XId, CrtcConfig>& touched, bool& resized) {
    std::map<XId, CrtcConfig> old;
    for (const auto& c : before.crtcs) old[c.id] = currentConfig(c);
    std::uint32_t stamp = before.configTimestamp;
    auto change = [&](XId crtc, const CrtcConfig& config) -> std::string {
        touched.emplace(crtc, old[crtc]);
        return setCrtc(crtc, config, stamp);
    };
    for (const auto& [crtc, config] : plan.crtcs)
        if (!(config == old[crtc]) && old[crtc].mode != 0 && config.outputs != old[crtc].outputs)
            if (auto e = change(crtc, CrtcConfig{}); !e.empty()) return e;
    const int growW = std::max(before.width, plan.width), growH = std::max(before.height, plan.height);
    if (growW != before.width || growH != before.height) {
        resized = true;
        if (auto e = setSize(growW, growH); !e.empty()) return e;
    }
    for (const auto& [crtc, config] : plan.crtcs)
        if (!(config == old[crtc]) && !(config.mode == 0 && touched.count(crtc)))
            if (auto e = change(crtc, config); !e.empty()) return e;
    if (plan.width != growW || plan.height != growH) {
        resized = true;
        if (auto e = setSize(plan.width, plan.height); !e.empty()) return e;
    }
    if (plan.primary != before.primary) {
        auto cookie = xcb_randr_set_output_primary_checked(c_, root_, plan.primary);
        if (xcb_generic_error_t* error = xcb_request_check(c_, cookie)) return describe(error);
    }
    return {};
}

std::string RandrClient::apply(const RandrScreen& before, const LayoutPlan& plan) {
    if (!ok()) return error_.empty() ? "the X server went away" : error_;
    xcb_grab_server(c_);
    std::map<XId, CrtcConfig> touched;
    bool resized = false;
    std::string error = applySteps(before, plan, touched, resized);
    if (!error.empty() && (!touched.empty() || resized)) {
        // Put back what was changed, by the same safe order, from the state
        // as it is now.
        if (auto now = read()) {
            LayoutPlan back{before.width, before.height, {}, before.primary};
            for (const auto& c : before.crtcs) back.crtcs[c.id] = currentConfig(c);
            std::map<XId, CrtcConfig> ignored;
            bool ignoredResize = false;
            if (auto again = applySteps(*now, back, ignored, ignoredResize); !again.empty())
                error += "; putting the layout back failed too: " + again;
        }
    }
    xcb_ungrab_server(c_);
    xcb_flush(c_);
    return error;
}

std::optional<GammaRamp> RandrClient::gamma(XId crtc) {
    if (!ok()) return std::nullopt;
    auto reply = own(xcb_randr_get_crtc_gamma_reply(c_, xcb_randr_get_crtc_gamma(c_, crtc), nullptr));
    if (!reply || reply->size == 0) return std::nullopt;
    GammaRamp ramp;
    const std::uint16_t* r = xcb_randr_get_crtc_gamma_red(reply.get());
    const std::uint16_t* g = xcb_randr_get_crtc_gamma_green(reply.get());
    const std::uint16_t* b = xcb_randr_get_crtc_gamma_blue(reply.get());
    ramp.r.assign(r, r + reply->size);
    ramp.g.assign(g, g + reply->size);
    ramp.b.assign(b, b + reply->size);
    return ramp;
}

bool RandrClient::setGamma(XId crtc, const GammaRamp& ramp) {
    if (!ok() || ramp.r.empty() || ramp.r.size() != ramp.g.size() || ramp.r.size() != ramp.b.size()) return false;
    auto cookie = xcb_randr_set_crtc_gamma_checked(c_, crtc, std::uint16_t(ramp.r.size()), ramp.r.data(),
                                                   ramp.g.data(), ramp.b.data());
    if (xcb_generic_error_t* error = xcb_request_check(c_, cookie)) {
        std::free(error);
        return false;
    }
    return true;
}

bool RandrClient::setOutputBytes(XId output, const std::string& property, const std::vector<std::uint8_t>& bytes) {
    auto cookie = xcb_randr_change_output_property_checked(c_, output, atom(property), XCB_ATOM_INTEGER, 8,
                                                           XCB_PROP_MODE_REPLACE, std::uint32_t(bytes.size()),
                                                           bytes.data());
    if (xcb_generic_error_t* error = xcb_request_check(c_, cookie)) {
        std::free(error);
        return false;
    }
    return true;
}

}  // namespace vp::x11
