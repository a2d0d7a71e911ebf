/* The reference for the program's start-up time: a bare SDL2 window with a software surface that
   Cairo paints once, one label on the editor's window colour, then waits for its close. */
#include <SDL.h>
#include <cairo.h>

int main(void) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("BareCairoWindow", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1200,
                                          600, SDL_WINDOW_SHOWN);
    if (window == NULL) {
        return 1;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    cairo_surface_t* target = cairo_image_surface_create_for_data(surface->pixels, CAIRO_FORMAT_RGB24, surface->w,
                                                                  surface->h, surface->pitch);
    cairo_t* cr = cairo_create(target);
    cairo_set_source_rgb(cr, 0x1B / 255.0, 0x1D / 255.0, 0x21 / 255.0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.9, 0.9, 0.92);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    cairo_move_to(cr, 20, 30);
    cairo_show_text(cr, "Skylet Preset Editor");
    cairo_destroy(cr);
    cairo_surface_destroy(target);
    SDL_UpdateWindowSurface(window);
    SDL_Event event;
    while (SDL_WaitEvent(&event)) {
        if (event.type == SDL_QUIT) {
            break;
        }
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
            SDL_UpdateWindowSurface(window);
        }
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
