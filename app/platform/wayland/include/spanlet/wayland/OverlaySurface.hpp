#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <spanlet/wayland/PixelRect.hpp>

struct wl_output;
struct wl_surface;
struct wl_callback;
struct wl_subsurface;
struct wp_viewport;
struct zwlr_layer_surface_v1;

namespace spanlet::wayland {

class WaylandConnection;
class ShmBuffers;

/// The overlay on one output: a layer-shell surface on the overlay layer, anchored to all four
/// edges with exclusive zone −1 (it covers the output and pushes nothing aside), showing an
/// image of ours through wl_shm buffers. The image is painted in memory of ours (canvas());
/// present() copies only the damaged rectangles into a free buffer, and commits no faster than
/// the compositor asks for frames. Its input region is empty unless takeInput() says otherwise,
/// so the pointer passes through to the windows below.
class OverlaySurface {
public:
    /// `connection` and `output` must outlive this object; `scale` is the output's device
    /// pixels per point. At a fractional scale the canvas has the output's own pixels, shown
    /// one to one through a viewport; without the viewporter it has the next whole scale's,
    /// which the compositor scales down.
    OverlaySurface(WaylandConnection& connection, wl_output* output, double scale);

    /// A floating panel's place on its output: top-left corner and size, output-local points.
    struct Box {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;

        friend bool operator==(const Box&, const Box&) = default;
    };
    /// A floating panel instead: on the top layer (above windows, below the overlay), anchored
    /// to the output's top-left corner and placed by margins there (exclusive zone −1: it
    /// reserves nothing and bars move it not), sized `box`. It takes the pointer over all of
    /// itself, and the keyboard when clicked where the compositor offers that (layer shell 4;
    /// never elsewhere, rather than hold it for good).
    OverlaySurface(WaylandConnection& connection, wl_output* output, double scale, const Box& box);
    /// A floating part of `parent` (which must outlive it): a subsurface just above it, whose
    /// place is the parent's to apply, so that it moves in the same frame as the parent's
    /// drawing. Its state, pictures included, shows with the parent's next commit. Nothing
    /// shows before resize(); it takes no input. Needs the parent's scale to be whole.
    OverlaySurface(WaylandConnection& connection, OverlaySurface& parent);
    ~OverlaySurface();
    OverlaySurface(const OverlaySurface&) = delete;
    OverlaySurface& operator=(const OverlaySurface&) = delete;

    /// Whether the compositor has sized the surface; until then there is no canvas.
    [[nodiscard]] bool configured() const noexcept { return width_ > 0; }
    /// The compositor closed the surface (its output went away).
    [[nodiscard]] bool closed() const noexcept { return closed_; }
    /// The canvas: width() × height() premultiplied ARGB32 words in host byte order, row after
    /// row, transparent when new. What is painted shows with the next present().
    [[nodiscard]] std::span<std::uint32_t> canvas() noexcept { return canvas_; }
    [[nodiscard]] int width() const noexcept { return width_; }
    [[nodiscard]] int height() const noexcept { return height_; }
    /// Canvas pixels per point.
    [[nodiscard]] double scale() const noexcept { return scale_; }

    /// Shows the canvas's `damage` (device pixels); at the next frame if one is in progress.
    void present(std::span<const PixelRect> damage);
    /// Shows the canvas's `damage` with the next punch(), which the caller is about to make:
    /// one commit for both rather than one each.
    void presentWithPunch(std::span<const PixelRect> damage);

    /// Shows the canvas with `holes` transparent at once, and keeps each open in every frame
    /// until closeHole(). A capture asked for from now on sees what is under the overlay there:
    /// the compositor applies this commit before it reads the request, and copies at a later
    /// render. The canvas itself keeps its pixels.
    void punch(std::span<const PixelRect> holes);
    /// Where the canvas holds drawing from now on (device pixels, a superset will do): a hole
    /// clears only drawn pixels, and looks for them only there. Until told, everywhere.
    void setDrawn(std::vector<PixelRect> drawn) { drawn_ = std::move(drawn); }
    /// One hole punched earlier closes: the next present() shows the canvas there again.
    void closeHole(const PixelRect& hole);
    /// Whether a hole punched earlier is still open.
    [[nodiscard]] bool holesOpen() const noexcept { return !openHoles_.empty(); }
    /// Shows the canvas where holes shown in the last frame have closed since; nothing when
    /// none have (a frame since showed it already).
    void showClosedHoles();

    /// Moves and resizes a floating panel.
    void place(const Box& box);

    /// A floating part's size in device pixels (whole points): the canvas is made anew, cleared.
    void resize(int width, int height);
    /// A floating part's top-left corner in the parent's points, from its next commit on.
    void placeAt(int x, int y);
    /// Shows a floating part's `damage` with the parent's next commit: its own commit waits
    /// for that one, so no frame needs waiting for here.
    void commitNow(std::span<const PixelRect> damage);
    /// The open holes of a floating part, all at once (its own pixels): shown with the next
    /// commit.
    void setHoles(std::vector<PixelRect> holes) { openHoles_ = std::move(holes); }
    /// The holes open now (punched and not closed, or set).
    [[nodiscard]] const std::vector<PixelRect>& holes() const noexcept { return openHoles_; }
    /// Hides a floating part until the next commit of a picture.
    void hide();
    /// Commits what is pending (a floating part's place or picture) unless drawing of this
    /// surface's own is about to go out, which carries it.
    void commitState();
    /// How many times the surface has committed, to tell whether it has since a mark.
    [[nodiscard]] std::uint64_t commits() const noexcept { return commits_; }
    /// Runs when the compositor has sized the canvas anew (cleared), before it is shown: what
    /// is painted into it then shows at once.
    void setResized(std::function<void()> resized) { resized_ = std::move(resized); }

    /// Whether the surface takes the pointer (full input region) or lets it through (empty).
    void takeInput(bool take);
    [[nodiscard]] bool takesInput() const noexcept { return takesInput_; }
    /// Whether the surface may take the keyboard: on demand (when clicked, as the compositor
    /// decides), or never. `atOnce`: it takes the keyboard now, for as long as it keeps it (the
    /// colour sampler, where a click picks).
    void takeKeyboard(bool take, bool atOnce = false);

    /// The Wayland surface, to tell which overlay the pointer is over.
    [[nodiscard]] wl_surface* surface() const noexcept { return surface_; }
    /// Its layer surface, the parent of its popups.
    [[nodiscard]] zwlr_layer_surface_v1* layerSurface() const noexcept { return layer_; }

    /// Buffers made so far, for tests of their reuse.
    [[nodiscard]] std::size_t buffersMade() const;

    struct Listeners;

private:
    OverlaySurface(WaylandConnection& connection, wl_output* output, double scale,
                   std::uint32_t layer);
    void commitFrame(std::span<const PixelRect> damage);

    WaylandConnection& connection_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    std::unique_ptr<ShmBuffers> buffers_;
    wp_viewport* viewport_ = nullptr; ///< only at a fractional scale
    double scale_ = 1;
    int width_ = 0; ///< device pixels
    int height_ = 0;
    std::vector<std::uint32_t> canvas_;
    struct Stale {
        const void* buffer = nullptr;
        std::vector<PixelRect> rects; ///< where the buffer differs from the canvas
        /// Where the buffer may hold drawing, as the canvas's was when it was last committed;
        /// unknown until then.
        std::optional<std::vector<PixelRect>> drawn;
    };
    std::vector<Stale> stale_;             ///< per buffer
    std::vector<PixelRect> pendingDamage_; ///< waiting for the frame callback
    std::vector<PixelRect> openHoles_;     ///< kept transparent until closeHole()
    std::vector<PixelRect> shownHoles_;    ///< the drawn parts of holes the last frame cleared
    std::optional<std::vector<PixelRect>> drawn_; ///< see setDrawn()
    wl_callback* frameCallback_ = nullptr;
    wl_subsurface* subsurface_ = nullptr; ///< only for a floating part
    std::uint64_t commits_ = 0;
    std::function<void()> resized_;
    bool takesInput_ = false;
    bool closed_ = false;
};

} // namespace spanlet::wayland
