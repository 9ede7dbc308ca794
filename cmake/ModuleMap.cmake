# The game's modules: which files of src/ make up each library and which modules and libraries it
# uses. This is the only place that says so: CMakeLists.txt builds the libraries from it and
# tools/check-includes.cmake holds every include in src/ to it (docs/ARCHITECTURE.md).
#
# bramblot_module(<target> FILES <files of src/> PUBLIC <uses> PRIVATE <uses>)
#   Uses are modules and library targets. PUBLIC: what the module's headers include or name in a
#   forward declaration; PRIVATE: what only its sources include. Exactly what the files include, and only modules declared
#   above, so there are no cycles.

# Application core services: configuration, the screen base and the screen switch, input actions,
# the trace profiler, the widget layer, shared assets and their paths, sound effects, the names of
# actions and screens, the shutdown signal, and where the programs run and write their output.
# Game's declaration lives here because the screens reach the window and the widget layer through
# it; Game's definition, which creates the screens, is bramblot_app at the top.
bramblot_module(bramblot_services
  FILES
    AssetCache.h AssetCache.cpp
    AssetPaths.h
    Game.h
    GameConfig.h GameConfig.cpp
    GameNames.h
    GameState.h GameState.cpp
    GameStateManager.h GameStateManager.cpp
    Gui.h Gui.cpp
    InputManager.h InputManager.cpp
    InputState.h InputState.cpp
    ProgramStart.h ProgramStart.cpp
    ShutdownSignal.h ShutdownSignal.cpp
    SoundEffect.h SoundEffect.cpp
    TraceProfiler.h TraceProfiler.cpp
    TraceTimer.h TraceTimer.cpp
  PUBLIC sfml-graphics sfml-window sfml-system sfml-audio)

# Entities and events: game objects and their components, the registry of a match's objects, the
# event bus with its self-cancelling subscriptions, and the creation and destruction events of
# objects and drawables (the rigid body's own events are physics').
bramblot_module(bramblot_entities
  FILES
    BasicDataEvent.h
    EventBus.h EventBus.cpp
    GameObject.h GameObject.cpp
    GameObjectCreateEvent.h GameObjectCreateEvent.cpp
    GameObjectManager.h GameObjectManager.cpp
    IComponent.h IComponent.cpp
    IEvent.h IEvent.cpp
    IRenderComponent.h IRenderComponent.cpp
    RenderableCreateEvent.h RenderableCreateEvent.cpp
    RenderableDestroyEvent.h RenderableDestroyEvent.cpp
    Subscription.h Subscription.cpp
  PUBLIC sfml-graphics
  PRIVATE sfml-system)

# Rendering: the render layers, the drawable components (those on a named layer announce
# themselves) and the animation keys.
bramblot_module(bramblot_rendering
  FILES
    Animation.h Animation.cpp
    AnimationKey.h
    AnimationRenderComponent.h AnimationRenderComponent.cpp
    CameraRenderComponent.h CameraRenderComponent.cpp
    HealthIndicatorRenderComponent.h HealthIndicatorRenderComponent.cpp
    LayeredRenderComponent.h LayeredRenderComponent.cpp
    SpriteBlink.h SpriteBlink.cpp
    SpriteManager.h SpriteManager.cpp
    SpriteRenderComponent.h SpriteRenderComponent.cpp
  PUBLIC bramblot_entities sfml-graphics sfml-system
  PRIVATE bramblot_services)

# Physics: the Box2D world and its units, rigid bodies (with their creation and destruction events)
# and colliders with their collision categories, the deferred body commands and the debug overlay.
bramblot_module(bramblot_physics
  FILES
    ColliderComponent.h ColliderComponent.cpp
    CollisionCategory.h
    DebugDraw.h DebugDraw.cpp
    OverlayPolygon.h OverlayPolygon.cpp
    PhysicsManager.h PhysicsManager.cpp
    PhysicsUnits.h
    RecycledPool.h
    RigidBodyComponent.h RigidBodyComponent.cpp
    RigidBodyCreateEvent.h RigidBodyCreateEvent.cpp
    RigidBodyDestroyEvent.h RigidBodyDestroyEvent.cpp
  PUBLIC bramblot_entities box2d::box2d sfml-graphics sfml-system
  PRIVATE bramblot_services)

# Gameplay: the components that give players and items their behaviour, and the item pools.
bramblot_module(bramblot_gameplay
  FILES
    BombComponent.h BombComponent.cpp
    HealthComponent.h HealthComponent.cpp
    ItemComponent.h ItemComponent.cpp
    ItemInteractComponent.h ItemInteractComponent.cpp
    ItemPool.h ItemPool.cpp
    ItemSpawnerComponent.h ItemSpawnerComponent.cpp
    PlayerFallComponent.h PlayerFallComponent.cpp
    PlayerMoveComponent.h PlayerMoveComponent.cpp
    RockComponent.h RockComponent.cpp
  PUBLIC bramblot_entities bramblot_services bramblot_physics bramblot_rendering sfml-graphics sfml-system
  PRIVATE box2d::box2d)

# Map loading: reading a Tiled map, its tile layers, and the object factory that turns the map's
# objects into players, walls, triggers and spawners (so it builds on gameplay), by the property
# rules that the map checker for authors applies too.
bramblot_module(bramblot_maps
  FILES
    MapChecker.h MapChecker.cpp
    ObjectFactory.h ObjectFactory.cpp
    ObjectSettings.h ObjectSettings.cpp
    TileCut.h TileCut.cpp
    TileLayerData.h
    TileLayerRenderComponent.h TileLayerRenderComponent.cpp
    TileMapLoader.h TileMapLoader.cpp
    TileSprite.h
    TiledJsonReader.h TiledJsonReader.cpp
    TiledLayer.h
    TiledMap.h TiledMap.cpp
    TiledObject.h
    TiledProperty.h TiledProperty.cpp
    TiledTileset.h TiledTileset.cpp
  PUBLIC bramblot_entities bramblot_gameplay bramblot_rendering nlohmann_json::nlohmann_json sfml-graphics
         sfml-system
  PRIVATE bramblot_physics bramblot_services box2d::box2d)

# Screens: the menu, the controls screen and the match with its win screen, and the text menu the
# menu and the win screen share. The match sits here, above map loading, because it loads the map
# that the factory turns into gameplay objects.
bramblot_module(bramblot_screens
  FILES
    InstructionState.h InstructionState.cpp
    MainState.h MainState.cpp
    MenuState.h MenuState.cpp
    PlayerStart.h
    TextMenu.h TextMenu.cpp
  PUBLIC bramblot_services bramblot_entities bramblot_physics bramblot_rendering
         sfml-audio sfml-graphics sfml-system
  PRIVATE bramblot_maps bramblot_gameplay)

# The application: Game's definition, which creates the three screens and runs the frame.
bramblot_module(bramblot_app
  FILES
    Game.cpp
  PRIVATE bramblot_services bramblot_screens bramblot_physics)

# Files of executables: above every module, so they may include any module and nothing includes them.
set(BRAMBLOT_ENTRY_POINTS main.cpp mapcheck.cpp)
